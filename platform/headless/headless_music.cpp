// The recording music device: every command in order, and a tune that plays
// until a test says it has ended (headless::FinishTune).
#include "platform/headless/headless.h"
#include "platform/headless/headless_internal.h"

namespace {
struct MusicDevice {
  std::vector<std::string> commands;
  bool open = false;     // a tune is loaded
  bool playing = false;  // it is sounding
  bool atEnd = false;    // it played to its end (play from here sounds nothing)
};
MusicDevice gMusic;
}  // namespace

void ResetHeadlessMusic() { gMusic = MusicDevice{}; }

namespace headless {
const std::vector<std::string>& MusicCommands() { return gMusic.commands; }
void FinishTune() {
  if (!gMusic.playing) return;
  gMusic.playing = false;
  gMusic.atEnd = true;
}
}  // namespace headless

namespace platform {

bool OpenTune(const std::string& path) {
  gMusic.commands.push_back("open " + path);
  gMusic.open = true;
  gMusic.playing = gMusic.atEnd = false;
  return true;
}
void PlayTune() {
  gMusic.commands.push_back("play");
  if (gMusic.open && !gMusic.atEnd) gMusic.playing = true;
}
void RewindAndPlayTune() {
  gMusic.commands.push_back("replay");
  if (gMusic.open) {
    gMusic.playing = true;
    gMusic.atEnd = false;
  }
}
void StopTune() {
  gMusic.commands.push_back("stop");
  gMusic.playing = false;
}
void CloseTune() {
  gMusic.commands.push_back("close");
  gMusic.open = gMusic.playing = gMusic.atEnd = false;
}
bool IsTuneStopped() { return gMusic.open && !gMusic.playing; }

// The volume is the player's ear's business: nothing to record.
void SetMusicVolume(int) {}

}  // namespace platform
