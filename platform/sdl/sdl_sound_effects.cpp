// The sound effects of the SDL back-end: the WAV files of the sounds folder,
// loaded once, played by a fixed number of voices that SDL_mixer's post-mix
// stage adds over the music.
//
// The music is never touched: the effects are added under a limiter that
// lowers their gain at once wherever music plus effects would pass full
// scale, and lets it come back over a tenth of a second, so a busy frame never
// clips and never drowns the tune. A voice is dropped when a new effect needs
// it and all are busy, the oldest first.
//
// The audio output is the music's (platform/sdl/sdl_music.cpp); without an
// audio device the effects are silent, with no message of their own.
#include "platform/sdl/sdl_sound_effects.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cmath>
#include <cstring>
#include <string>

#include "platform/backend.h"
#include "platform/sdl/sdl_music.h"
#include "platform/sound_effects.h"

namespace {

constexpr int kVoices = 6;
// The effects' gain at volume 10: their files peak near full scale, and even
// a storm of them (a shot, a hit and an explosion every frame) must stay
// about as loud as the tune, not above it; the default 6 sits under it.
constexpr float kFullVolumeGain = 0.35f;
// Music plus effects is kept at or below this (about -0.2 dBFS).
constexpr float kCeiling = 32000.0f;
// The limiter's gain comes back to 1 over this many samples (0.1 s stereo).
constexpr float kRecoverySamples = 8820.0f;

// The gain of a volume step 0..10: the square root of its share of full, so
// that the default (6) sits about 2 dB under full rather than 4.4 dB, where
// the effects are heard beside the tune; 3 is about 5 dB under full.
float VolumeGain(int volume) {
  if (volume <= 0) return 0.0f;
  return kFullVolumeGain * std::sqrt(float(volume > 10 ? 10 : volume) / 10.0f);
}

enum class DeviceState { Untried, Ready, Failed };

struct Voice {
  const int16_t* samples = nullptr;  // the effect, in the output's format
  uint32_t count = 0;                // its samples (both sides of a frame)
  uint32_t position = 0;
  uint32_t order = 0;  // starting order; the smallest is the oldest
};

struct EffectsDevice {
  DeviceState state = DeviceState::Untried;
  SDL_mutex* lock = nullptr;
  Mix_Chunk* chunks[kSoundEffectCount] = {};
  int outputChannels = 2;
  // Guarded by `lock`.
  Voice voices[kVoices];
  uint32_t started = 0;
  float volumeGain = VolumeGain(kDefaultEffectsVolume);
  float limiterGain = 1.0f;
  uint64_t limitedSamples = 0;  // samples where the limiter held the effects back
};
EffectsDevice gEffects;

// The audio thread, after the music: adds the sounding voices under the limiter.
void MixEffects(void*, Uint8* stream, int len) {
  SDL_LockMutex(gEffects.lock);
  int16_t* out = reinterpret_cast<int16_t*>(stream);
  const int samples = len / 2;
  const int channels = gEffects.outputChannels;
  float gain = gEffects.limiterGain;
  const float volume = gEffects.volumeGain;
  bool any = false;
  for (const Voice& v : gEffects.voices) any = any || v.samples;
  for (int i = 0; any && i < samples; i += channels) {
    for (int c = 0; c < channels && i + c < samples; ++c) {
      float effects = 0.0f;
      for (Voice& v : gEffects.voices) {
        if (!v.samples) continue;
        effects += volume * float(v.samples[v.position + uint32_t(c)]);
      }
      const float music = out[i + c];
      if (effects != 0.0f && std::abs(music + gain * effects) > kCeiling) {
        const float room = (effects > 0 ? kCeiling - music : -kCeiling - music) / effects;
        gain = room > 0.0f ? room : 0.0f;
        ++gEffects.limitedSamples;
      }
      const float mixed = music + gain * effects;
      out[i + c] = int16_t(mixed > 32767.0f ? 32767.0f : mixed < -32768.0f ? -32768.0f : mixed);
      gain += (1.0f - gain) / kRecoverySamples;
    }
    for (Voice& v : gEffects.voices) {
      if (!v.samples) continue;
      v.position += uint32_t(channels);
      if (v.position + uint32_t(channels) > v.count) v.samples = nullptr;
    }
  }
  gEffects.limiterGain = any ? gain : 1.0f;
  SDL_UnlockMutex(gEffects.lock);
}

// Opens the output with the music (or alone when there is no soundfont) and
// loads every effect. A missing file leaves its effect silent.
bool StartEffectsDevice() {
  if (gEffects.state != DeviceState::Untried) return gEffects.state == DeviceState::Ready;
  gEffects.state = DeviceState::Failed;
  int frequency = 0, channels = 0;
  Uint16 format = 0;
  if (!platform::StartMusicDevice() && Mix_QuerySpec(&frequency, &format, &channels) == 0) {
    // No music (no soundfont, or no device): the effects try the device quietly.
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    if (Mix_OpenAudioDevice(44100, AUDIO_S16SYS, 2, 1024, nullptr, 0) != 0) {
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
      return false;
    }
  }
  if (Mix_QuerySpec(&frequency, &format, &channels) == 0 || format != AUDIO_S16SYS || channels < 1) return false;
  gEffects.outputChannels = channels;
  gEffects.lock = SDL_CreateMutex();
  if (!gEffects.lock) return false;
  const std::string folder = platform::BaseDirectory() + "/sounds/";
#ifdef __EMSCRIPTEN__
  const char* const fileType = ".ogg";  // the web page carries them compressed (web/CMakeLists.txt)
#else
  const char* const fileType = ".wav";
#endif
  for (int i = 0; i < kSoundEffectCount; ++i)
    gEffects.chunks[i] = Mix_LoadWAV((folder + SoundEffectName(SoundEffect(i)) + fileType).c_str());
  Mix_SetPostMix(MixEffects, nullptr);
  gEffects.state = DeviceState::Ready;
  return true;
}

}  // namespace

namespace platform {

uint32_t SoundEffectClockMs() { return SDL_GetTicks(); }

void PlaySoundEffect(SoundEffect effect) {
  if (!StartEffectsDevice()) return;
  const Mix_Chunk* chunk = gEffects.chunks[int(effect)];
  if (!chunk || chunk->alen < 4) return;
  SDL_LockMutex(gEffects.lock);
  // A free voice, else the one that started first.
  Voice* voice = &gEffects.voices[0];
  for (Voice& v : gEffects.voices) {
    if (!v.samples) {
      voice = &v;
      break;
    }
    if (v.order < voice->order) voice = &v;
  }
  voice->samples = reinterpret_cast<const int16_t*>(chunk->abuf);
  voice->count = chunk->alen / 2;
  voice->position = 0;
  voice->order = ++gEffects.started;
  SDL_UnlockMutex(gEffects.lock);
}

// Before the device starts there is nothing to lock: the mixer is not running.
void ChangeSoundEffectsVolume(int volume) {
  if (gEffects.lock) SDL_LockMutex(gEffects.lock);
  gEffects.volumeGain = VolumeGain(volume);
  if (gEffects.lock) SDL_UnlockMutex(gEffects.lock);
}

bool AreSoundEffectsReady() { return StartEffectsDevice(); }

uint64_t SoundEffectsLimitedSamples() {
  if (gEffects.state != DeviceState::Ready) return 0;
  SDL_LockMutex(gEffects.lock);
  const uint64_t n = gEffects.limitedSamples;
  SDL_UnlockMutex(gEffects.lock);
  return n;
}

}  // namespace platform
