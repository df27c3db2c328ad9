// Start-up time of the game: from the start of its process to its first
// presented frame, with SDL's dummy video driver. The game is run as it is
// (no command line); the dummy driver's frame saving
// (SDL_VIDEO_DUMMY_SAVE_FRAMES) writes each presented frame into the working
// folder, and the first file to appear there marks the first present.
// Prints the figures; asserts nothing.
#include <signal.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/posix/program_folder.h"

namespace {

double NowMs() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

std::string GamePath() { return platform::ProgramFolder() + "/../tessivane"; }

// One start; the milliseconds to the first frame, or -1 if none came in time.
double OneStart(const std::string& game) {
  char dirTemplate[] = "/tmp/tessivane-startup-XXXXXX";
  const char* dir = mkdtemp(dirTemplate);
  if (!dir) return -1;
  mkdir((std::string(dir) + "/run").c_str(), 0700);
  const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  inotify_add_watch(watch, dir, IN_CREATE);
  const double t0 = NowMs();
  const pid_t child = fork();
  if (child == 0) {
    if (chdir(dir) != 0) _exit(127);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("SDL_VIDEO_DUMMY_SAVE_FRAMES", "1", 1);
    setenv("XDG_RUNTIME_DIR", (std::string(dir) + "/run").c_str(), 1);  // its own single-copy lock
    execl(game.c_str(), game.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  double result = -1;
  char events[4096];
  while (NowMs() - t0 < 5000) {
    const ssize_t got = read(watch, events, sizeof events);
    bool frame = false;
    for (ssize_t at = 0; at < got;) {
      const inotify_event* e = reinterpret_cast<const inotify_event*>(events + at);
      if (e->len > 0 && std::string(e->name).compare(0, 10, "SDL_window") == 0) frame = true;
      at += ssize_t(sizeof(inotify_event) + e->len);
    }
    if (frame) {
      result = NowMs() - t0;
      break;
    }
    int status = 0;
    if (waitpid(child, &status, WNOHANG) == child) break;
    usleep(100);
  }
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  close(watch);
  std::string clean = std::string("rm -rf '") + dir + "'";
  if (std::system(clean.c_str()) != 0) std::fprintf(stderr, "could not remove %s\n", dir);
  return result;
}

}  // namespace

int main() {
  const std::string game = GamePath();
  if (access(game.c_str(), X_OK) != 0) {
    std::printf("the game is not built at %s\n", game.c_str());
    return 0;
  }
  std::vector<double> times;
  for (int run = 0; run < 7; ++run) {
    const double ms = OneStart(game);
    if (ms < 0) {
      std::printf("run %d: no frame presented within 5 s\n", run + 1);
      continue;
    }
    times.push_back(ms);
  }
  if (times.empty()) return 0;
  std::sort(times.begin(), times.end());
  std::printf(
      "process start to first presented frame (dummy video): median %.1f ms, best %.1f ms, "
      "worst %.1f ms over %zu runs (goal <= 100 ms)\n",
      times[times.size() / 2], times.front(), times.back(), times.size());
  return 0;
}
