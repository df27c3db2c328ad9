// The music device of the SDL back-end: standard MIDI files rendered by one
// FluidSynth synthesizer with a General MIDI soundfont, fed to SDL2_mixer's
// output through its music hook.
//
// The soundfont (often 100 MB and more) is loaded once, on a thread of its
// own, the first time a tune is opened; changing tunes afterwards only parses
// a small MIDI file, so no frame of the game waits for the disk. Commands given
// before the soundfont is ready are remembered and take effect when it is.
// Without an audio device or a soundfont the game runs on in silence, with one
// line on standard error; so does a tune that is missing or damaged.
//
// Only the instruments of the open tune are held in memory: the synthesizer
// loads a preset's samples when a channel selects it. When a tune is opened,
// the loading thread selects each of its instruments on a spare channel
// beyond the sixteen the tunes play on (reading the samples from the disk
// while the game goes on), and only then makes the tune's player; the
// previous tune's instruments are let go a few seconds later, once its last
// notes have died away. Meanwhile the game's calls never touch the
// synthesizer, so no frame waits for the disk.
#include <SDL.h>
#include <SDL_mixer.h>
#include <dirent.h>
#include <fluidsynth.h>
#include <glib.h>
#include <malloc.h>
#include <sys/stat.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cerrno>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/sdl/midi_scan.h"
#include "platform/sdl/sdl_music.h"

namespace {

constexpr int kSampleRate = 44100;
constexpr int kChunkFrames = 1024;  // about 23 ms a buffer
constexpr double kSynthGain = 0.5;
// A tune asked to play starts with the first buffer rendered this long after
// the request: a tune started and stopped at once (the priming of a switch)
// is never heard, not even for one buffer.
constexpr uint32_t kStartDelayMs = 10;
// The tunes sound at most a few dozen notes at once (with their releases);
// linear interpolation is plenty for samples played near their own pitch.
constexpr int kPolyphony = 64;
constexpr size_t kLargestTuneBytes = 1 << 20;
constexpr int kSpareChannels = sdlback::kMaxTunePresets + 2;  // the tune's, the piano and the drum kit
// The previous tune's last notes have ended this long after a switch.
constexpr uint32_t kReleaseAfterMs = 4000;
// Requests this close together (the priming of a switch) load only the last.
constexpr uint32_t kSettleMs = 20;

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
  // The open tune's instruments (guarded by `lock`): `wanted` is what it
  // names, `held` what spare channels hold now; the player exists only once
  // `instrumentsReady` (all held, the loading thread idle).
  sdlback::TunePresets wanted, held;
  uint32_t wantedGeneration = 0;
  bool instrumentsReady = false;
  uint32_t loadedGeneration = ~0u;  // the request whose instruments are held
  SDL_sem* loadRequest = nullptr;
  int font = -1;
  // Plain storage: the loading thread may still read it while the process exits.
  char soundFont[4096] = {};
};
MusicDevice gDevice;

class Guard {
 public:
  Guard() { SDL_LockMutex(gDevice.lock); }
  ~Guard() { SDL_UnlockMutex(gDevice.lock); }
  Guard(const Guard&) = delete;
  Guard& operator=(const Guard&) = delete;
};

bool IsFolder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Names (files or folders) already reported missing or damaged, by hash: each
// is told once.
struct ReportedNames {
  uint64_t hash[64] = {};
  int count = 0;
};
ReportedNames gReported;

bool FirstReportOf(const std::string& name) {
  uint64_t hash = 1469598103934665603ull;
  for (unsigned char c : name) hash = (hash ^ c) * 1099511628211ull;
  for (int i = 0; i < gReported.count; ++i)
    if (gReported.hash[i] == hash) return false;
  if (gReported.count < 64) gReported.hash[gReported.count++] = hash;
  return true;
}

// One line the first time a tune cannot be played; a missing music folder
// is one line for all its tunes.
void ReportTuneProblem(const std::string& path, const char* problem) {
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string(".") : path.substr(0, slash);
  if (!IsFolder(folder)) {
    if (FirstReportOf(folder))
      std::fprintf(stderr, "tessivane: %s: the music folder is missing; the game runs without music\n",
                   folder.c_str());
    return;
  }
  if (FirstReportOf(path)) std::fprintf(stderr, "tessivane: %s: %s\n", path.c_str(), problem);
}

// The whole tune file; false with the reason when it cannot be played.
bool ReadTuneFile(const std::string& path, std::vector<char>* bytes, const char** problem) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    *problem = errno == ENOENT ? "the tune is missing; it is not played" : "the tune cannot be read; it is not played";
    return false;
  }
  struct stat st;
  bool ok = fstat(fileno(file), &st) == 0 && S_ISREG(st.st_mode);
  *problem = "the tune cannot be read; it is not played";
  if (ok && size_t(st.st_size) > kLargestTuneBytes) {
    ok = false;
    *problem = "the tune is too large; it is not played";
  }
  if (ok) {
    bytes->resize(size_t(st.st_size));
    ok = std::fread(bytes->data(), 1, bytes->size(), file) == bytes->size();
  }
  std::fclose(file);
  return ok;
}

// GLib-based soundfont readers complain on standard error about a damaged
// file; the game says what happened in its own line instead.
void IgnoreLibraryLog(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

// Under the device lock. The old player is dropped, notes are released (not
// cut, so nothing clicks) and the controllers are set back for the next tune.
void DropPlayer() {
  gDevice.startPending = false;
  if (gDevice.player) {
    fluid_player_stop(gDevice.player);
    delete_fluid_player(gDevice.player);
    gDevice.player = nullptr;
  }
  if (gDevice.synth && gDevice.instrumentsReady) {
    for (int ch = 0; ch < 16; ++ch) fluid_synth_cc(gDevice.synth, ch, 64, 0);
    fluid_synth_all_notes_off(gDevice.synth, -1);
  }
}

// Under the device lock, with the tune's instruments held: a player at the
// tune's start.
void MakePlayer() {
  DropPlayer();
  if (!gDevice.open || !gDevice.synth || !gDevice.instrumentsReady) return;
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

// Under the device lock, on the audio thread: once the loading thread holds
// the open tune's instruments, its player is made (and started, when play
// was asked for).
void TakeLoadedInstruments() {
  if (gDevice.instrumentsReady || gDevice.loadedGeneration != gDevice.wantedGeneration) return;
  gDevice.instrumentsReady = true;
  if (!gDevice.open) return;
  MakePlayer();
  if (gDevice.player && gDevice.wantPlay) {
    gDevice.startPending = true;
    gDevice.startAskedMs = SDL_GetTicks() - kStartDelayMs;
  }
}

// The audio thread: the synthesizer renders straight into the output buffer,
// a slice at a time, so that the game never waits long for the lock.
void RenderMusic(void*, Uint8* stream, int len) {
  constexpr int kSliceFrames = 256;
  int16_t* out = reinterpret_cast<int16_t*>(stream);
  for (int left = len / 4; left > 0;) {
    const int frames = left < kSliceFrames ? left : kSliceFrames;
    bool unlocked = false;
    {
      Guard guard;
      if (gDevice.state == DeviceState::Ready && gDevice.synth) TakeLoadedInstruments();
      if (gDevice.state == DeviceState::Ready && gDevice.synth && gDevice.instrumentsReady) {
        if (gDevice.startPending && gDevice.player && SDL_GetTicks() - gDevice.startAskedMs >= kStartDelayMs) {
          fluid_player_play(gDevice.player);
          gDevice.startPending = false;
        }
        fluid_synth_write_s16(gDevice.synth, frames, out, 0, 2, out, 1, 2);
      } else if (gDevice.state == DeviceState::Ready && gDevice.synth) {
        // Instruments are loading (no player exists): the last notes ring
        // on, rendered outside the lock, since the synthesizer may wait for
        // the loading thread and the game must not wait for it.
        unlocked = true;
      } else {
        std::memset(out, 0, size_t(frames) * 4);
      }
    }
    if (unlocked) fluid_synth_write_s16(gDevice.synth, frames, out, 0, 2, out, 1, 2);
    out += 2 * frames;
    left -= frames;
  }
}

bool HasPreset(const sdlback::TunePresets& presets, int bank, int program) {
  for (int i = 0; i < presets.count; ++i)
    if (presets.bank[i] == bank && presets.program[i] == program) return true;
  return false;
}

// The loading thread's spare channels: which instrument each holds.
struct SpareChannels {
  int bank[kSpareChannels] = {};
  int program[kSpareChannels] = {};
  bool used[kSpareChannels] = {};
};
SpareChannels gSpare;

// On the loading thread, without the device lock: holds each instrument of
// `wanted` on a spare channel (reading its samples), and when `letGo` lets
// go of those `wanted` does not name. With `tuneChannels` (only while no
// player exists, since a playing tune changes programs itself) the sixteen
// channels of the tunes also give back what the previous tune left on them:
// the piano takes its place (the drum kit on channel 10). The device's
// `held` follows.
void HoldInstruments(const sdlback::TunePresets& wanted, bool letGo, bool tuneChannels) {
  for (int ch = 0; tuneChannels && ch < 16; ++ch) {
    int font = 0, bank = 0, program = 0;
    if (fluid_synth_get_program(gDevice.synth, ch, &font, &bank, &program) != FLUID_OK) continue;
    if (ch == 9) bank = 128;  // channel 10 holds drum kits, whatever bank it reports
    if (HasPreset(wanted, bank, program)) continue;
    fluid_synth_program_select(gDevice.synth, ch, gDevice.font, ch == 9 ? 128 : 0, 0);
  }
  for (int c = 0; c < kSpareChannels; ++c) {
    if (!gSpare.used[c] || !letGo || HasPreset(wanted, gSpare.bank[c], gSpare.program[c])) continue;
    fluid_synth_unset_program(gDevice.synth, 16 + c);
    gSpare.used[c] = false;
  }
  for (int i = 0; i < wanted.count; ++i) {
    bool held = false;
    for (int c = 0; c < kSpareChannels && !held; ++c)
      held = gSpare.used[c] && gSpare.bank[c] == wanted.bank[i] && gSpare.program[c] == wanted.program[i];
    for (int c = 0; c < kSpareChannels && !held; ++c) {
      if (gSpare.used[c]) continue;
      fluid_synth_program_select(gDevice.synth, 16 + c, gDevice.font, wanted.bank[i], wanted.program[i]);
      gSpare.used[c] = held = true;
      gSpare.bank[c] = wanted.bank[i];
      gSpare.program[c] = wanted.program[i];
    }
  }
  sdlback::TunePresets now;
  for (int c = 0; c < kSpareChannels; ++c)
    if (gSpare.used[c]) sdlback::AddTunePreset(&now, gSpare.bank[c], gSpare.program[c]);
  Guard guard;
  gDevice.held = now;
}

// The loading thread: the soundfont once, then each tune's instruments.
int LoadSynth(void*) {
  for (int level = 0; level <= FLUID_DBG; ++level) fluid_set_log_function(level, nullptr, nullptr);
  fluid_settings_t* settings = new_fluid_settings();
  fluid_settings_setnum(settings, "synth.sample-rate", kSampleRate);
  fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1);
  fluid_settings_setint(settings, "synth.polyphony", kPolyphony);
  fluid_settings_setint(settings, "synth.midi-channels", (16 + kSpareChannels + 15) / 16 * 16);
  fluid_settings_setnum(settings, "synth.gain", kSynthGain);
  fluid_settings_setint(settings, "synth.cpu-cores", 1);
  // No reset of the synth when a tune starts: it would cut the release of the
  // previous tune's notes short (a click). Each tune sets its channels up.
  fluid_settings_setint(settings, "player.reset-synth", 0);
  fluid_synth_t* synth = settings ? new_fluid_synth(settings) : nullptr;
  const GLogFunc oldLog = g_log_set_default_handler(IgnoreLibraryLog, nullptr);
  const int font = synth ? fluid_synth_sfload(synth, gDevice.soundFont, 1) : FLUID_FAILED;
  g_log_set_default_handler(oldLog, nullptr);
  if (font == FLUID_FAILED) {
    if (synth) delete_fluid_synth(synth);
    if (settings) delete_fluid_settings(settings);
    Silence((std::string("the soundfont ") + gDevice.soundFont + " is damaged or not a soundfont").c_str());
    return 0;
  }
  fluid_synth_set_interp_method(synth, -1, FLUID_INTERP_LINEAR);
  {
    Guard guard;
    gDevice.settings = settings;
    gDevice.synth = synth;
    gDevice.font = font;
    gDevice.state = DeviceState::Ready;
  }
  // Each request: settle, let go of the instruments the newest tune does not
  // use, hold its own, make its player; a while later, once the previous
  // tune's last notes have ended, hand the freed memory back.
  bool letGoPending = false;
  for (;;) {
    if (SDL_SemWaitTimeout(gDevice.loadRequest, letGoPending ? kReleaseAfterMs : SDL_MUTEX_MAXWAIT) != 0) {
      sdlback::TunePresets wanted;
      {
        Guard guard;
        if (!gDevice.instrumentsReady) continue;  // a request is on its way
        wanted = gDevice.wanted;
      }
      HoldInstruments(wanted, true, false);
      // The samples were many small blocks amid the heap: hand the pages
      // they leave free back to the system.
      malloc_trim(0);
      letGoPending = false;
      continue;
    }
    SDL_Delay(kSettleMs);
    while (SDL_SemTryWait(gDevice.loadRequest) == 0) {
    }
    sdlback::TunePresets wanted;
    uint32_t generation = 0;
    {
      Guard guard;
      // A request already served (two came for one tune): its player may be
      // playing, and the tune's channels are its own now.
      if (gDevice.instrumentsReady) continue;
      wanted = gDevice.wanted;
      generation = gDevice.wantedGeneration;
    }
    // The previous tune's instruments go first (notes still ringing keep
    // their samples until they end), so the two tunes' are rarely in memory
    // together.
    HoldInstruments(wanted, true, true);
    {
      Guard guard;
      gDevice.loadedGeneration = generation;
    }
    letGoPending = true;
  }
}

}  // namespace

namespace platform {

// Opens the audio output and starts loading the soundfont (first use only).
// True while music can be heard now or soon.
bool StartMusicDevice() {
  if (gDevice.state != DeviceState::Untried) return gDevice.state != DeviceState::Failed;
  gDevice.lock = SDL_CreateMutex();
  gDevice.loadRequest = SDL_CreateSemaphore(0);
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
  return gDevice.open && gDevice.player != nullptr;
}

bool IsInstrumentHeld(int bank, int program) {
  if (gDevice.state != DeviceState::Ready) return false;
  Guard guard;
  return HasPreset(gDevice.held, bank, program);
}

bool OpenTune(const std::string& path) {
  if (!StartMusicDevice()) return false;
  CloseTune();
  std::vector<char> bytes;
  const char* problem = nullptr;
  if (!ReadTuneFile(path, &bytes, &problem)) {
    ReportTuneProblem(path, problem);
    return false;
  }
  sdlback::TunePresets presets;
  if (!sdlback::ScanMidiFile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &presets)) {
    ReportTuneProblem(path, "the tune is not a valid MIDI file; it is not played");
    return false;
  }
  // Every tune starts with the piano on its channels and the standard kit on
  // channel 10 until it says otherwise.
  sdlback::AddTunePreset(&presets, 0, 0);
  sdlback::AddTunePreset(&presets, 128, 0);
  Guard guard;
  gDevice.tune.swap(bytes);
  gDevice.open = true;
  gDevice.wantPlay = false;
  gDevice.wanted = presets;
  bool allHeld = true;
  for (int i = 0; i < presets.count; ++i) allHeld = allHeld && HasPreset(gDevice.held, presets.bank[i], presets.program[i]);
  if (gDevice.state == DeviceState::Ready && gDevice.instrumentsReady && allHeld) {
    MakePlayer();
    if (!gDevice.player) gDevice.open = false;
  } else {
    // The loading thread holds the instruments, then makes the player.
    gDevice.instrumentsReady = false;
    ++gDevice.wantedGeneration;
    SDL_SemPost(gDevice.loadRequest);
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
  // Before the instruments are held there is nothing to rewind: it starts at
  // the top.
  if (gDevice.state == DeviceState::Ready && gDevice.instrumentsReady) {
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
