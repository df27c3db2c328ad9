// Runs the game's own verifier, `tessivane-headless --verify`, on one replay
// in a process of its own: limited in CPU time, address space and wall-clock
// time, with no files to write and a lower priority than the server, so that
// a hostile replay can neither take the server down nor starve its pages. The
// replay reaches it as an anonymous in-memory file; its JSON comes back
// through a pipe.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace server {

struct VerifierLimits {
  int cpuSeconds = 120;
  int wallSeconds = 300;
  uint64_t memoryBytes = uint64_t(1) << 30;
};

struct VerifierRun {
  enum class End {
    Exited,       // `status` holds its exit status, `output` its standard output
    CpuLimit,     // it used up its CPU time
    WallLimit,    // it ran past its wall-clock time and was stopped
    Signalled,    // it died of `signal`
    Cancelled,    // the server is stopping: it was stopped
    CannotStart,  // the verifier could not be started (`error` says why)
  };
  End end = End::CannotStart;
  int status = 0;
  int signal = 0;
  double cpuSeconds = 0;
  std::string output;
  std::string error;  // its standard error (the end of it), or why it did not start
};

// `stop` is asked every tenth of a second; true stops the run (Cancelled).
VerifierRun RunVerifier(const std::string& tool, const std::string& replay, const VerifierLimits& limits,
                        const std::function<bool()>& stop);

}  // namespace server
