// The music device of the Windows build: the tunes were rendered at build
// time from the game's MIDI files to Ogg Vorbis, cut at the end of their last
// note event, and are played by SDL2_mixer (the output: ogg_output.cpp). The
// game still names the MIDI file; its rendering lies beside it in QapoOgg/
// under the same stem. (The web build's device, platform/web/web_music.cpp,
// is this one with tunes that arrive later.)
// Semantics as on the desktop: one current tune; play resumes a stopped tune
// where it stopped, but a tune that played to its end stays there; it counts
// as stopped once it has ended or was stopped.
#include <SDL_mixer.h>

#include <string>

#include "platform/backend.h"
#include "platform/ogg/ogg_output.h"
#include "platform/sdl/sdl_music.h"

namespace {

struct MusicDevice {
  Mix_Music* tune = nullptr;
  bool wantPlay = false;  // play was asked for and not stopped since
  bool started = false;   // the tune has been started since it was opened
};
MusicDevice gDevice;

}  // namespace

namespace platform {

bool OpenTune(const std::string& path) {
  CloseTune();
  if (!StartMusicDevice()) return false;
  gDevice.tune = Mix_LoadMUS(OggRenderingOf(path).c_str());
  gDevice.wantPlay = gDevice.started = false;
  return gDevice.tune != nullptr;
}

void PlayTune() {
  if (!gDevice.tune) return;
  if (gDevice.wantPlay) return;  // playing, or played to its end: stays there
  gDevice.wantPlay = true;
  if (!gDevice.started) {
    gDevice.started = Mix_PlayMusic(gDevice.tune, 0) == 0;
  } else {
    Mix_ResumeMusic();
  }
}

void RewindAndPlayTune() {
  if (!gDevice.tune) return;
  gDevice.wantPlay = true;
  gDevice.started = Mix_PlayMusic(gDevice.tune, 0) == 0;
}

void StopTune() {
  if (!gDevice.tune) return;
  gDevice.wantPlay = false;
  if (gDevice.started) Mix_PauseMusic();
}

void CloseTune() {
  if (!gDevice.tune) return;
  Mix_HaltMusic();
  Mix_FreeMusic(gDevice.tune);
  gDevice.tune = nullptr;
  gDevice.wantPlay = gDevice.started = false;
}

bool IsTuneStopped() {
  if (!gDevice.tune) return false;
  if (!gDevice.wantPlay) return true;
  return !Mix_PlayingMusic() || Mix_PausedMusic();
}

}  // namespace platform
