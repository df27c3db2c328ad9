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

// The tune the game has open (empty when none) and whether it plays, kept
// so that a silenced stretch can end on the tune the game would hear.
std::string gTune;
bool gPlaying = false;
bool gSilenced = false;

}  // namespace

void MusicOpen(const std::string& file) {
  gTune = file;
  gPlaying = false;
  if (!gSilenced) {
    platform::CloseTune();
    platform::OpenTune(TunePath(file));
  }
  musicLooping = 0;
}

void MusicPlay() {
  gPlaying = true;
  if (!gSilenced) platform::PlayTune();
  musicLooping = -1;
}

void MusicStop() {
  musicLooping = 0;
  gPlaying = false;
  if (!gSilenced) platform::StopTune();
}

void MusicClose() {
  gTune.clear();
  gPlaying = false;
  if (!gSilenced) platform::CloseTune();
  musicLooping = 0;
}

// Once a second (window timer): a tune that has ended by itself while looping
// is on starts again from its beginning.
void MusicLoopCheck() {
  if (machine::IsTuneStopped() && musicLooping == -1 && !gSilenced) platform::RewindAndPlayTune();
}

void SilenceMusic(bool silenced) {
  if (silenced == gSilenced) return;
  gSilenced = silenced;
  platform::CloseTune();
  if (silenced || gTune.empty()) return;
  platform::OpenTune(TunePath(gTune));
  if (gPlaying) platform::PlayTune();
}

MusicState SaveMusicState() { return {gTune, gPlaying, musicLooping}; }

void RestoreMusicState(const MusicState& state) {
  const bool sameTune = state.tune == gTune;
  gTune = state.tune;
  musicLooping = state.looping;
  if (!gSilenced && !sameTune) {
    platform::CloseTune();
    if (!gTune.empty()) platform::OpenTune(TunePath(gTune));
    gPlaying = false;
  }
  if (!gSilenced && state.playing && !gPlaying) platform::PlayTune();
  if (!gSilenced && !state.playing && gPlaying) platform::StopTune();
  gPlaying = state.playing;
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
