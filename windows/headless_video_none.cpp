// tessivane-headless on Windows makes no videos (the video encoder's
// libraries are not part of the Windows build).
#include "tools/headless/headless_video.h"

bool OpenVideo(const std::string&, int, std::string* error) {
  *error = "videos are not made by the Windows build";
  return false;
}
void AddVideoFramesUntil(uint32_t, const uint32_t*) {}
void PlayVideoMusicCommand(uint32_t, const std::string&) {}
bool CloseVideo(std::string*) { return true; }
