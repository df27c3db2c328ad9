// What the SDL back-end does alike on Linux and Windows (the web has its own,
// platform/web/web_system.cpp): the screen saver, the folder for the player's
// data, and no touch controls. The clock, the single copy and the game's
// folder differ: platform/sdl/sdl_system.cpp and platform/windows/windows_system.cpp.
#include <SDL.h>

#include <cstdio>
#include <string>

#include "platform/backend.h"
#include "platform/files.h"
#include "platform/sdl/sdl_internal.h"

namespace platform {

bool IsScreenSaverEnabled() {
  if (!sdlback::EnsureVideo()) return false;
  return SDL_IsScreenSaverEnabled() == SDL_TRUE;
}

void SetScreenSaverEnabled(bool enabled) {
  if (!sdlback::EnsureVideo()) return;
  if (enabled) {
    SDL_EnableScreenSaver();
  } else {
    SDL_DisableScreenSaver();
  }
}

bool HasTouchControls() { return false; }
void SetTouchControls(bool, int, int) {}

// The game's folder when a file can be made in it (a copy kept in a folder of
// its own, the build folder, the Windows zip unpacked where the player
// writes), else the player's data folder (files::DataFolder).
std::string DataDirectory() {
  static std::string data;
  if (!data.empty()) return data;
  const std::string base = BaseDirectory();
  int error = 0;
  data = files::DataFolder(base, &error);
  if (data.empty()) {
    std::fprintf(stderr, "tessivane: no folder for the high scores (%s); they go to %s, which cannot be written\n",
                 files::ErrorText(error).c_str(), base.c_str());
    data = base;
  }
  return data;
}

}  // namespace platform
