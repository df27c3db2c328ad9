#include "platform/ogg/ogg_output.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdio>

#include "platform/backend.h"
#include "platform/sdl/sdl_music.h"

namespace {

constexpr int kSampleRate = 44100;
constexpr int kChunkFrames = 2048;

enum class DeviceState { Untried, Ready, Failed };
DeviceState gState = DeviceState::Untried;
int gVolume = MIX_MAX_VOLUME;  // opening the output sets SDL_mixer's to the full volume

}  // namespace

namespace platform {

bool StartMusicDevice() {
  if (gState != DeviceState::Untried) return gState == DeviceState::Ready;
  gState = DeviceState::Failed;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    std::fprintf(stderr, "tessivane: no audio (%s); the game runs without music.\n", SDL_GetError());
    return false;
  }
  if ((Mix_Init(MIX_INIT_OGG) & MIX_INIT_OGG) == 0 ||
      Mix_OpenAudio(kSampleRate, AUDIO_S16SYS, 2, kChunkFrames) != 0) {
    std::fprintf(stderr, "tessivane: the audio output could not be opened (%s).\n", Mix_GetError());
    return false;
  }
  gState = DeviceState::Ready;
  Mix_VolumeMusic(gVolume);  // the setting, given before the output was open
  return true;
}

bool IsMusicDeviceReady() { return gState == DeviceState::Ready; }

// The music volume setting, 0..10 (10 = as rendered).
void SetMusicVolume(int volume) {
  volume = volume < 0 ? 0 : volume > 10 ? 10 : volume;
  gVolume = MIX_MAX_VOLUME * volume / 10;
  if (gState == DeviceState::Ready) Mix_VolumeMusic(gVolume);
}

std::string OggRenderingOf(const std::string& midiPath) {
  const size_t slash = midiPath.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : midiPath.substr(0, slash);
  std::string name = slash == std::string::npos ? midiPath : midiPath.substr(slash + 1);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.resize(dot);
  const size_t parent = folder.rfind('/');
  const std::string base = parent == std::string::npos ? std::string() : folder.substr(0, parent + 1);
  return base + "QapoOgg/" + name + ".ogg";
}

}  // namespace platform
