// Preloaded into the game by bench/play_footprint.sh: the moment of every
// presented frame (CLOCK_REALTIME, nanoseconds, 8 bytes each) is appended to
// the file named by TESSIVANE_PRESENT_LOG, so the frame period can be
// measured from outside without touching the game. A frame is presented
// either through a renderer or straight from the window's surface.
#include <dlfcn.h>
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <SDL.h>

#include <cstdint>
#include <cstdlib>

namespace {

void LogPresent() {
  static const int log = [] {
    const char* path = std::getenv("TESSIVANE_PRESENT_LOG");
    return path ? open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644) : -1;
  }();
  if (log < 0) return;
  timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  const int64_t ns = int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
  if (write(log, &ns, sizeof ns) != sizeof ns) return;
}

}  // namespace

extern "C" void SDL_RenderPresent(SDL_Renderer* renderer) {
  using Present = void (*)(SDL_Renderer*);
  static const Present real = reinterpret_cast<Present>(dlsym(RTLD_NEXT, "SDL_RenderPresent"));
  real(renderer);
  LogPresent();
}

extern "C" int SDL_UpdateWindowSurface(SDL_Window* window) {
  using Update = int (*)(SDL_Window*);
  static const Update real = reinterpret_cast<Update>(dlsym(RTLD_NEXT, "SDL_UpdateWindowSurface"));
  const int result = real(window);
  LogPresent();
  return result;
}
