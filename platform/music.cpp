// Background music: one current tune at a time, from the QapoMidi folder
// beside the executable. The device's replies are not checked: a missing
// folder, file or device only leaves the game silent.
#include "platform/music.h"

#include <cstddef>

#include "platform/backend.h"
#include "platform/machine.h"

int16_t musicLooping;

namespace {

std::string TunePath(const std::string& file) { return platform::BaseDirectory() + "/QapoMidi/" + file; }

}  // namespace

void MusicOpen(const std::string& file) {
  platform::CloseTune();
  platform::OpenTune(TunePath(file));
  musicLooping = 0;
}

void MusicPlay() {
  platform::PlayTune();
  musicLooping = -1;
}

void MusicStop() {
  musicLooping = 0;
  platform::StopTune();
}

void MusicClose() {
  platform::CloseTune();
  musicLooping = 0;
}

// Once a second (window timer): a tune that has ended by itself while looping
// is on starts again from its beginning.
void MusicLoopCheck() {
  if (machine::IsTuneStopped() && musicLooping == -1) platform::RewindAndPlayTune();
}

void SwitchMusic(const std::string& file) {
  MusicStop();
  MusicClose();
  MusicOpen(file);
  MusicPlay();
}

void SwitchMusicPrimed(const std::string& primer, const std::string& file) {
  MusicStop();
  MusicClose();
  MusicOpen(primer);
  MusicPlay();
  MusicStop();
  MusicClose();
  MusicOpen(file);
  MusicPlay();
}
