// The music device of the SDL back-end: standard MIDI files rendered by one
// FluidSynth synthesizer with a General MIDI soundfont, fed to SDL2_mixer's
// output through its music hook.
//
// The soundfont (often 100 MB and more) is loaded once, on a thread of its
// own, the first time a tune is opened; changing tunes afterwards only parses
// a small MIDI file, so no frame of the game waits for the disk. Commands given
// before the soundfont is ready are remembered and take effect when it is.
// Without an audio device or a soundfont the game runs on in silence, with one
// line on standard error.
#include "platform/sdl/sdl_music.h"

#include <sys/stat.h>

#include <SDL.h>
#include <SDL_mixer.h>
#include <fluidsynth.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/backend.h"

namespace {

constexpr int kSampleRate = 44100;
constexpr int kChunkFrames = 1024;  // about 23 ms a buffer
constexpr double kSynthGain = 0.5;
// A tune asked to play starts with the first buffer rendered this long after
// the request: a tune started and stopped at once (the priming of a switch)
// is never heard, not even for one buffer.
constexpr uint32_t kStartDelayMs = 10;

enum class DeviceState { Untried, Loading, Ready, Failed };

struct MusicDevice {
  std::atomic<DeviceState> state{DeviceState::Untried};
  SDL_mutex* lock = nullptr;
  // Owned by the loading thread until state is Ready; then guarded by `lock`.
  fluid_settings_t* settings = nullptr;
  fluid_synth_t* synth = nullptr;
  // Guarded by `lock`.
  fluid_player_t* player = nullptr;  // the current tune, once the synth exists
  std::vector<char> tune;            // its file
  bool open = false;                 // a tune is open
  bool wantPlay = false;             // play was asked for and not stopped since
  bool startPending = false;         // ... and the audio thread has yet to start it
  uint32_t startAskedMs = 0;
  // Plain storage: the loading thread may still read it while the process exits.
  char soundFont[4096] = {};
};
MusicDevice gDevice;
std::atomic<int> musicVolume{10};  // 0..10, read by the audio thread

class Guard {
 public:
  Guard() { SDL_LockMutex(gDevice.lock); }
  ~Guard() { SDL_UnlockMutex(gDevice.lock); }
  Guard(const Guard&) = delete;
  Guard& operator=(const Guard&) = delete;
};

// Under the device lock. The old player is dropped, notes are released (not
// cut, so nothing clicks) and the controllers are set back for the next tune.
void DropPlayer() {
  gDevice.startPending = false;
  if (gDevice.player) {
    fluid_player_stop(gDevice.player);
    delete_fluid_player(gDevice.player);
    gDevice.player = nullptr;
  }
  if (gDevice.synth) {
    for (int ch = 0; ch < 16; ++ch) fluid_synth_cc(gDevice.synth, ch, 64, 0);
    fluid_synth_all_notes_off(gDevice.synth, -1);
  }
}

// Under the device lock, with the synth ready: a player at the tune's start.
void MakePlayer() {
  DropPlayer();
  if (!gDevice.open || !gDevice.synth) return;
  gDevice.player = new_fluid_player(gDevice.synth);
  if (gDevice.player &&
      fluid_player_add_mem(gDevice.player, gDevice.tune.data(), gDevice.tune.size()) != FLUID_OK) {
    delete_fluid_player(gDevice.player);
    gDevice.player = nullptr;
  }
}

// Under the device lock: the player has passed the last event of its tune.
// (FluidSynth itself reports the end only seconds later, once the voices
// have died away; that would leave a long gap before the tune restarts.)
bool PlayerAtEnd() {
  if (!gDevice.player) return false;
  if (fluid_player_get_status(gDevice.player) != FLUID_PLAYER_PLAYING) return true;
  const int total = fluid_player_get_total_ticks(gDevice.player);
  return total > 0 && fluid_player_get_current_tick(gDevice.player) >= total;
}

void Silence(const char* why) {
  std::fprintf(stderr, "tessivane: %s; the game runs without music.\n", why);
  gDevice.state = DeviceState::Failed;
}

// The audio thread: the synthesizer renders straight into the output buffer,
// a slice at a time, so that the game never waits long for the lock.
void RenderMusic(void*, Uint8* stream, int len) {
  constexpr int kSliceFrames = 256;
  int16_t* out = reinterpret_cast<int16_t*>(stream);
  for (int left = len / 4; left > 0;) {
    const int frames = left < kSliceFrames ? left : kSliceFrames;
    {
      Guard guard;
      if (gDevice.state == DeviceState::Ready && gDevice.synth) {
        if (gDevice.startPending && gDevice.player && SDL_GetTicks() - gDevice.startAskedMs >= kStartDelayMs) {
          fluid_player_play(gDevice.player);
          gDevice.startPending = false;
        }
        fluid_synth_write_s16(gDevice.synth, frames, out, 0, 2, out, 1, 2);
        const int volume = musicVolume.load();
        if (volume < 10)
          for (int k = 0; k < 2 * frames; ++k) out[k] = int16_t(out[k] * volume / 10);
      } else {
        std::memset(out, 0, size_t(frames) * 4);
      }
    }
    out += 2 * frames;
    left -= frames;
  }
}

int LoadSynth(void*) {
  for (int level = 0; level <= FLUID_DBG; ++level) fluid_set_log_function(level, nullptr, nullptr);
  fluid_settings_t* settings = new_fluid_settings();
  fluid_settings_setnum(settings, "synth.sample-rate", kSampleRate);
  fluid_settings_setnum(settings, "synth.gain", kSynthGain);
  fluid_settings_setint(settings, "synth.cpu-cores", 1);
  // No reset of the synth when a tune starts: it would cut the release of the
  // previous tune's notes short (a click). Each tune sets its channels up.
  fluid_settings_setint(settings, "player.reset-synth", 0);
  fluid_synth_t* synth = settings ? new_fluid_synth(settings) : nullptr;
  if (!synth || fluid_synth_sfload(synth, gDevice.soundFont, 1) == FLUID_FAILED) {
    if (synth) delete_fluid_synth(synth);
    if (settings) delete_fluid_settings(settings);
    Silence((std::string("the soundfont ") + gDevice.soundFont + " could not be loaded").c_str());
    return 0;
  }
  Guard guard;
  gDevice.settings = settings;
  gDevice.synth = synth;
  gDevice.state = DeviceState::Ready;
  if (gDevice.open) {
    MakePlayer();
    if (gDevice.player && gDevice.wantPlay) {
      gDevice.startPending = true;
      gDevice.startAskedMs = SDL_GetTicks() - kStartDelayMs;
    }
  }
  return 0;
}

}  // namespace

namespace platform {

// Opens the audio output and starts loading the soundfont (first use only).
// True while music can be heard now or soon.
bool StartMusicDevice() {
  if (gDevice.state != DeviceState::Untried) return gDevice.state != DeviceState::Failed;
  gDevice.lock = SDL_CreateMutex();
  const std::string soundFont = FindSoundFont();
  if (soundFont.empty() || soundFont.size() >= sizeof gDevice.soundFont) {
    Silence("no General MIDI soundfont was found (install fluid-soundfont-gm or set SDL_SOUNDFONTS)");
    return false;
  }
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    Silence((std::string("no audio device (") + SDL_GetError() + ")").c_str());
    return false;
  }
  if (Mix_OpenAudioDevice(kSampleRate, AUDIO_S16SYS, 2, kChunkFrames, nullptr, 0) != 0) {
    Silence((std::string("the audio device could not be opened (") + Mix_GetError() + ")").c_str());
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  std::memcpy(gDevice.soundFont, soundFont.c_str(), soundFont.size() + 1);
  Mix_SetSoundFonts(gDevice.soundFont);
  gDevice.state = DeviceState::Loading;
  // The output starts with silence from the hook until the synth is ready.
  Mix_HookMusic(RenderMusic, nullptr);
  SDL_Thread* loader = SDL_CreateThread(LoadSynth, "soundfont", nullptr);
  if (loader) {
    SDL_DetachThread(loader);
  } else {
    LoadSynth(nullptr);
  }
  return true;
}

// True once the soundfont is loaded and tunes sound (false while loading or
// when the device failed).
bool IsMusicDeviceReady() { return gDevice.state == DeviceState::Ready; }

bool IsTuneLoaded() {
  if (gDevice.state != DeviceState::Ready) return false;
  Guard guard;
  return gDevice.open;
}

bool OpenTune(const std::string& path) {
  if (!StartMusicDevice()) return false;
  CloseTune();
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.size() < 14 || std::memcmp(bytes.data(), "MThd", 4) != 0) return false;
  Guard guard;
  gDevice.tune.swap(bytes);
  gDevice.open = true;
  gDevice.wantPlay = false;
  if (gDevice.state == DeviceState::Ready) {
    MakePlayer();
    if (!gDevice.player) gDevice.open = false;
  }
  return gDevice.open;
}

void PlayTune() {
  if (gDevice.state == DeviceState::Untried || gDevice.state == DeviceState::Failed) return;
  Guard guard;
  if (!gDevice.open) return;
  if (gDevice.player) {
    // A tune that played to its end stays there; a stopped one resumes.
    if (gDevice.wantPlay && !gDevice.startPending && PlayerAtEnd()) return;
    if (!gDevice.wantPlay) {
      gDevice.startPending = true;
      gDevice.startAskedMs = SDL_GetTicks();
    }
  }
  gDevice.wantPlay = true;
}

void RewindAndPlayTune() {
  if (gDevice.state == DeviceState::Untried || gDevice.state == DeviceState::Failed) return;
  Guard guard;
  if (!gDevice.open) return;
  gDevice.wantPlay = true;
  // Before the synth is ready there is nothing to rewind: it starts at the top.
  if (gDevice.state == DeviceState::Ready) {
    MakePlayer();
    if (gDevice.player) fluid_player_play(gDevice.player);
  }
}

void StopTune() {
  if (gDevice.state == DeviceState::Untried || gDevice.state == DeviceState::Failed) return;
  Guard guard;
  gDevice.wantPlay = gDevice.startPending = false;
  if (gDevice.player) {
    fluid_player_stop(gDevice.player);
    for (int ch = 0; ch < 16; ++ch) fluid_synth_cc(gDevice.synth, ch, 64, 0);
    fluid_synth_all_notes_off(gDevice.synth, -1);
  }
}

void CloseTune() {
  if (gDevice.state == DeviceState::Untried || gDevice.state == DeviceState::Failed) return;
  Guard guard;
  DropPlayer();
  gDevice.open = gDevice.wantPlay = false;
  gDevice.tune.clear();
}

void SetMusicVolume(int volume) { musicVolume = volume < 0 ? 0 : volume > 10 ? 10 : volume; }

bool IsTuneStopped() {
  if (gDevice.state == DeviceState::Untried || gDevice.state == DeviceState::Failed) return false;
  Guard guard;
  if (!gDevice.open) return false;
  if (!gDevice.wantPlay) return true;
  if (gDevice.startPending) return false;
  // Asked to play: it is stopped once the player has reached the end.
  return PlayerAtEnd();
}

}  // namespace platform
