// The millisecond clock, waiting, the single-copy claim and the game's folder
// on Linux (the SDL back-end; what it does alike on Windows is in
// sdl_desktop.cpp).
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <SDL.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/backend.h"

namespace {

int64_t MonotonicNs() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

// The clock counts whole milliseconds from the first reading.
const int64_t gClockOriginNs = MonotonicNs();

void SleepUntilNs(int64_t target) {
  timespec ts;
  ts.tv_sec = time_t(target / 1000000000);
  ts.tv_nsec = long(target % 1000000000);
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
  }
}

int gLockFd = -1;

}  // namespace

namespace platform {

uint32_t ReadClockMs() { return uint32_t(uint64_t(MonotonicNs() - gClockOriginNs) / 1000000u); }

// Sleeps until the clock shows `ms` more milliseconds. The thread asks the
// kernel for a timer slack of a few microseconds (the default is 50), so the
// wake comes just after the new reading exists, without the processor
// watching the clock for it.
void Idle(uint32_t ms) {
  static const bool precise = prctl(PR_SET_TIMERSLACK, 5000UL, 0, 0, 0) == 0;
  (void)precise;
  if (ms == 0) ms = 1;
  const int64_t now = MonotonicNs() - gClockOriginNs;
  const int64_t target = (now / 1000000 + int64_t(ms)) * 1000000;  // the tick the caller waits for
  SleepUntilNs(gClockOriginNs + target);
}

uint32_t RandomSeed() {
  timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  return uint32_t(ts.tv_sec) * 1000u + uint32_t(ts.tv_nsec / 1000000);
}

bool ClaimSingleInstance() {
  if (gLockFd >= 0) return true;
  std::string path;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && *runtime) {
    path = std::string(runtime) + "/tessivane.lock";
  } else {
    path = "/tmp/tessivane-" + std::to_string(unsigned(getuid())) + ".lock";
  }
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return true;  // no place for the claim: do not lock the player out
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const bool held = errno == EWOULDBLOCK;
    close(fd);
    return !held;
  }
  gLockFd = fd;  // kept open for the whole run; the kernel releases it at exit
  return true;
}

std::string BaseDirectory() {
  static std::string base;
  if (base.empty()) {
    if (char* path = SDL_GetBasePath()) {
      base = path;
      SDL_free(path);
    }
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    if (base.empty()) base = ".";
  }
  return base;
}

}  // namespace platform
