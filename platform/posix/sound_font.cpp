#include "platform/posix/sound_font.h"

#include <sys/stat.h>

#include <cstdlib>

namespace platform {
namespace {

bool IsRegularFile(const std::string& path) {
  struct stat st;
  return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

std::string FindSoundFont() {
  if (const char* env = std::getenv("SDL_SOUNDFONTS")) {
    const std::string list = env;
    size_t start = 0;
    for (;;) {
      const size_t end = list.find(':', start);
      const std::string path = list.substr(start, end == std::string::npos ? std::string::npos : end - start);
      if (IsRegularFile(path)) return path;
      if (end == std::string::npos) break;
      start = end + 1;
    }
  }
  for (const char* path : {"/usr/share/sounds/sf3/default-GM.sf3", "/usr/share/sounds/sf2/default-GM.sf2",
                           "/usr/share/sounds/sf2/FluidR3_GM.sf2", "/usr/share/sounds/sf2/TimGM6mb.sf2"}) {
    if (IsRegularFile(path)) return path;
  }
  return std::string();
}

}  // namespace platform
