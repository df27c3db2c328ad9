// What a verifier run means for a submitted replay: ranked, refused with a
// reason the player can read, or (when the fault is the server's own, such as
// a verifier that cannot start) not decided, to be tried again.
#pragma once

#include <string>

#include "server/board_store.h"
#include "server/verifier.h"

namespace server {

struct Judgement {
  bool decided = false;
  Verdict verdict;
  std::string serverFault;  // when not decided: what went wrong, for the log
};

// `thisBuild` is the game's build identity: a replay of another is refused
// as one of other rules.
Judgement JudgeVerifierRun(const VerifierRun& run, const VerifierLimits& limits, const std::string& thisBuild);

}  // namespace server
