// The music device of the web and Windows builds: the tunes were rendered at build time
// from the game's MIDI files to Ogg Vorbis, cut at the end of their last note
// event, and are played by SDL2_mixer. The game still names the MIDI file;
// its rendering lies beside it in QapoOgg/ under the same stem.
// Semantics as on the desktop: one current tune; play resumes a stopped tune
// where it stopped, but a tune that played to its end stays there; it counts
// as stopped once it has ended or was stopped.
#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdio>
#include <string>

#include "platform/backend.h"
#include "platform/ogg/ogg_music.h"
#include "platform/sdl/sdl_music.h"

namespace {

constexpr int kSampleRate = 44100;
constexpr int kChunkFrames = 2048;

enum class DeviceState { Untried, Ready, Failed };

struct MusicDevice {
  DeviceState state = DeviceState::Untried;
  Mix_Music* tune = nullptr;
  bool wantPlay = false;        // play was asked for and not stopped since
  bool started = false;         // the tune has been started since it was opened
  int volume = MIX_MAX_VOLUME;  // opening the output sets SDL_mixer's to the full volume
};
MusicDevice gDevice;

bool StartDevice() {
  if (gDevice.state != DeviceState::Untried) return gDevice.state == DeviceState::Ready;
  gDevice.state = DeviceState::Failed;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    std::fprintf(stderr, "tessivane: no audio (%s); the game runs without music.\n", SDL_GetError());
    return false;
  }
  if ((Mix_Init(MIX_INIT_OGG) & MIX_INIT_OGG) == 0 ||
      Mix_OpenAudio(kSampleRate, AUDIO_S16SYS, 2, kChunkFrames) != 0) {
    std::fprintf(stderr, "tessivane: the audio output could not be opened (%s).\n", Mix_GetError());
    return false;
  }
  gDevice.state = DeviceState::Ready;
  Mix_VolumeMusic(gDevice.volume);  // the setting, given before the output was open
  return true;
}

// .../QapoMidi/name.mid -> .../QapoOgg/name.ogg
std::string RenderingOf(const std::string& midiPath) {
  const size_t slash = midiPath.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : midiPath.substr(0, slash);
  std::string name = slash == std::string::npos ? midiPath : midiPath.substr(slash + 1);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.resize(dot);
  const size_t parent = folder.rfind('/');
  const std::string base = parent == std::string::npos ? std::string() : folder.substr(0, parent + 1);
  return base + "QapoOgg/" + name + ".ogg";
}

}  // namespace

namespace platform {

// The audio output, shared with the sound effects (platform/sdl).
bool StartMusicDevice() { return StartDevice(); }
bool IsMusicDeviceReady() { return gDevice.state == DeviceState::Ready; }

// The music volume setting, 0..10 (10 = as rendered).
void SetMusicVolume(int volume) {
  volume = volume < 0 ? 0 : volume > 10 ? 10 : volume;
  gDevice.volume = MIX_MAX_VOLUME * volume / 10;
  if (gDevice.state == DeviceState::Ready) Mix_VolumeMusic(gDevice.volume);
}

bool OpenTune(const std::string& path) {
  CloseTune();
  if (!StartDevice()) return false;
  gDevice.tune = Mix_LoadMUS(RenderingOf(path).c_str());
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

double TunePositionSeconds() {
  if (!gDevice.tune || !gDevice.started) return -1.0;
  return Mix_GetMusicPosition(gDevice.tune);
}

int MusicVolumeAsPlayed() { return Mix_VolumeMusic(-1); }

}  // namespace platform
