// The score server: the HTTP face (the API and the board page), the
// submission limits, and the workers that verify the queue.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "server/verifier.h"

namespace server {

struct ServiceOptions {
  std::string host = "127.0.0.1";
  int port = 8081;
  std::string database;
  std::string site;      // the web build's site folder, for watching ("" none)
  int workers = 1;
  int perMinute = 10;    // submissions a minute from one address
  int httpThreads = 128;
  std::string verifier;  // tessivane-headless
  VerifierLimits limits;
};

// Runs until `stop` turns true (checked often) or the port cannot be opened;
// returns the exit status. A replay being verified when it stops goes back to
// the queue.
int RunService(const ServiceOptions& options, std::atomic<bool>& stop);

}  // namespace server
