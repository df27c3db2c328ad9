#include "platform/headless/headless.h"
#include "platform/headless/headless_internal.h"

namespace {
struct MusicDevice {
  std::vector<std::string> commands;
  bool open = false, playing = false;
};
MusicDevice gMusic;
}  // namespace

void ResetHeadlessMusic() { gMusic = MusicDevice{}; }

namespace headless {
const std::vector<std::string>& MusicCommands() { return gMusic.commands; }
void FinishTune() { gMusic.playing = false; }
}  // namespace headless

namespace platform {

bool OpenTune(const std::string& path) {
  gMusic.commands.push_back("open " + path);
  gMusic.open = true;
  gMusic.playing = false;
  return true;
}
void PlayTune() {
  gMusic.commands.push_back("play");
  if (gMusic.open) gMusic.playing = true;
}
void RewindAndPlayTune() {
  gMusic.commands.push_back("replay");
  if (gMusic.open) gMusic.playing = true;
}
void StopTune() {
  gMusic.commands.push_back("stop");
  gMusic.playing = false;
}
void CloseTune() {
  gMusic.commands.push_back("close");
  gMusic.open = gMusic.playing = false;
}
bool IsTuneStopped() { return gMusic.open && !gMusic.playing; }

}  // namespace platform
