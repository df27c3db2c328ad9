// Which of SDL's renderers draws the game window: the player's choice first,
// then the cheapest that does the job on this machine.
#include "platform/sdl/sdl_renderer_choice.h"

#include <dirent.h>

#include <cstring>

namespace sdlback {

namespace {

constexpr unsigned kGlRenderer = 0x1F01;  // GL_RENDERER

// True when the current OpenGL context draws with a software rasteriser.
bool IsSoftwareOpenGl(SDL_Renderer* renderer) {
  SDL_RendererInfo info;
  if (SDL_GetRendererInfo(renderer, &info) != 0 || std::strncmp(info.name, "opengl", 6) != 0) return false;
  using GetString = const unsigned char* (*)(unsigned);
  const auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
  const unsigned char* name = getString ? getString(kGlRenderer) : nullptr;
  if (!name) return false;
  const char* text = reinterpret_cast<const char*>(name);
  return std::strstr(text, "llvmpipe") || std::strstr(text, "softpipe") || std::strstr(text, "swrast") ||
         std::strstr(text, "Software Rasterizer");
}

}  // namespace

const char* ChooseRenderDriver(const char* playerChoice, bool hasGpu) {
  if (playerChoice && *playerChoice) return playerChoice;
  return hasGpu ? nullptr : "software";
}

bool HasGpuDevice() {
  DIR* dir = opendir("/dev/dri");
  if (!dir) return false;
  bool found = false;
  while (dirent* entry = readdir(dir)) {
    if (std::strncmp(entry->d_name, "card", 4) == 0 || std::strncmp(entry->d_name, "renderD", 7) == 0)
      found = true;
  }
  closedir(dir);
  return found;
}

SDL_Renderer* CreateCheapestRenderer(SDL_Window* window) {
  const char* playerChoice = SDL_GetHint(SDL_HINT_RENDER_DRIVER);
  const bool playerChose = playerChoice && *playerChoice;
  const char* driver = ChooseRenderDriver(playerChoice, HasGpuDevice());
  if (driver && !playerChose) SDL_SetHint(SDL_HINT_RENDER_DRIVER, driver);
  // SDL's software renderer draws into the window's surface, which SDL would
  // otherwise hand to an OpenGL renderer of its own to show: the rasteriser
  // again, and a second copy of every frame. It goes straight to X instead.
  if (driver && SDL_strcasecmp(driver, "software") == 0) SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  // No flags: SDL takes the hinted driver, else its first that works.
  SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, 0);
  if (renderer && !playerChose && IsSoftwareOpenGl(renderer)) {
    SDL_DestroyRenderer(renderer);
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
  }
  if (!renderer) renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
  return renderer;
}

}  // namespace sdlback
