#include "server/verifier.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <vector>

namespace server {
namespace {

constexpr size_t kMaxOutput = 1 << 20;
constexpr size_t kMaxErrorKept = 4096;
constexpr int kReplayFd = 3;

bool WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += size_t(n);
  }
  return true;
}

// Puts `from` at `to` for the program to be run (dup2 leaves a descriptor
// already in place marked close-on-exec).
bool Place(int from, int to) {
  if (from == to) return fcntl(to, F_SETFD, 0) == 0;
  return dup2(from, to) == to;
}

// In the child, between fork and exec: only async-signal-safe calls.
[[noreturn]] void StartChild(const char* tool, char* const* argv, int replayFd, int outFd, int errFd,
                             const VerifierLimits& limits) {
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  setpgid(0, 0);
  const rlimit cpu{rlim_t(limits.cpuSeconds), rlim_t(limits.cpuSeconds) + 1};
  const rlimit memory{rlim_t(limits.memoryBytes), rlim_t(limits.memoryBytes)};
  const rlimit none{0, 0};
  setrlimit(RLIMIT_CPU, &cpu);
  setrlimit(RLIMIT_AS, &memory);
  setrlimit(RLIMIT_CORE, &none);
  setrlimit(RLIMIT_FSIZE, &none);
  setpriority(PRIO_PROCESS, 0, 10);
  const int devNull = open("/dev/null", O_RDONLY);
  if (devNull < 0 || !Place(devNull, 0) || !Place(outFd, 1) || !Place(errFd, 2) || !Place(replayFd, kReplayFd))
    _exit(127);
  syscall(SYS_close_range, kReplayFd + 1, ~0u, 0);
  execv(tool, argv);
  _exit(127);
}

}  // namespace

VerifierRun RunVerifier(const std::string& tool, const std::string& replay, const VerifierLimits& limits,
                        const std::function<bool()>& stop) {
  VerifierRun run;
  const int replayFd = int(syscall(SYS_memfd_create, "replay", unsigned(MFD_CLOEXEC)));
  if (replayFd < 0 || !WriteAll(replayFd, replay)) {
    run.error = std::string("cannot hold the replay in memory: ") + std::strerror(errno);
    if (replayFd >= 0) close(replayFd);
    return run;
  }
  int out[2], err[2];
  if (pipe2(out, O_CLOEXEC) != 0) {
    run.error = std::string("cannot make a pipe: ") + std::strerror(errno);
    close(replayFd);
    return run;
  }
  if (pipe2(err, O_CLOEXEC) != 0) {
    run.error = std::string("cannot make a pipe: ") + std::strerror(errno);
    close(replayFd);
    close(out[0]);
    close(out[1]);
    return run;
  }
  std::string path = "/dev/fd/" + std::to_string(kReplayFd);
  std::string verify = "--verify";
  std::vector<char*> argv = {const_cast<char*>(tool.c_str()), verify.data(), path.data(), nullptr};

  const pid_t pid = fork();
  if (pid == 0) StartChild(tool.c_str(), argv.data(), replayFd, out[1], err[1], limits);
  close(replayFd);
  close(out[1]);
  close(err[1]);
  if (pid < 0) {
    run.error = std::string("cannot start the verifier: ") + std::strerror(errno);
    close(out[0]);
    close(err[0]);
    return run;
  }

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(limits.wallSeconds);
  bool timedOut = false, cancelled = false;
  pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  int open = 2;
  char buffer[16384];
  while (open > 0) {
    if (std::chrono::steady_clock::now() >= deadline) {
      timedOut = true;
      break;
    }
    if (stop && stop()) {
      cancelled = true;
      break;
    }
    const int ready = poll(fds, 2, 100);
    if (ready < 0 && errno != EINTR) break;
    for (int k = 0; k < 2; ++k) {
      if (fds[k].fd < 0 || !(fds[k].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      const ssize_t n = read(fds[k].fd, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        close(fds[k].fd);
        fds[k].fd = -1;
        --open;
        continue;
      }
      std::string& into = k == 0 ? run.output : run.error;
      if (k == 0 && into.size() < kMaxOutput) into.append(buffer, size_t(n));
      if (k == 1) {
        into.append(buffer, size_t(n));
        if (into.size() > 2 * kMaxErrorKept) into.erase(0, into.size() - kMaxErrorKept);
      }
    }
  }
  if (timedOut || cancelled) kill(-pid, SIGKILL), kill(pid, SIGKILL);
  for (pollfd& f : fds)
    if (f.fd >= 0) close(f.fd);

  // Both pipes closed: the verifier is ending (still held to its deadline).
  int status = 0;
  rusage usage{};
  for (;;) {
    const pid_t r = wait4(pid, &status, WNOHANG, &usage);
    if (r == pid || (r < 0 && errno != EINTR)) break;
    if (!timedOut && !cancelled && std::chrono::steady_clock::now() >= deadline) {
      timedOut = true;
      kill(-pid, SIGKILL), kill(pid, SIGKILL);
    }
    if (r == 0) usleep(2000);
  }
  run.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                   double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  if (cancelled) {
    run.end = VerifierRun::End::Cancelled;
  } else if (timedOut) {
    run.end = VerifierRun::End::WallLimit;
  } else if (WIFEXITED(status)) {
    run.status = WEXITSTATUS(status);
    run.end = run.status == 127 ? VerifierRun::End::CannotStart : VerifierRun::End::Exited;
    if (run.end == VerifierRun::End::CannotStart) run.error = "cannot run " + tool;
  } else if (WIFSIGNALED(status)) {
    run.signal = WTERMSIG(status);
    const bool outOfTime = run.signal == SIGXCPU || (run.signal == SIGKILL && run.cpuSeconds >= limits.cpuSeconds);
    run.end = outOfTime ? VerifierRun::End::CpuLimit : VerifierRun::End::Signalled;
  }
  return run;
}

}  // namespace server
