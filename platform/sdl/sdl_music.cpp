// The music device of the SDL back-end: standard MIDI files rendered by one
// FluidSynth synthesizer with a General MIDI soundfont, fed to SDL2_mixer's
// output through its music hook.
//
// Three threads share the device, each with its own part:
// - The game's calls only read the tune file and leave requests in a mailbox
//   (a few fields under a lock); they never call the synthesizer, so no frame
//   ever waits for the disk or for the sound.
// - The audio thread owns the tune's player: it takes the requests at the
//   start of every slice it renders, makes, starts, stops and drops the
//   player, renders, and posts back how the tune stands. It holds the
//   mailbox's lock only to copy fields, never while it is in the synthesizer.
// - The loading thread reads the soundfont once, then each tune's
//   instruments: only the open tune's samples are held in memory (the
//   synthesizer loads a preset's samples when it is pinned or a channel
//   selects it, and lets them go when neither holds and no note rings with
//   them). When a tune is opened, the loading thread pins each of its
//   instruments and unpins the previous tune's; only then does the audio
//   thread make the tune's player. (The synthesizer keeps its sixteen
//   channels: its MIDI player corrupts memory when there are more.)
// Without an audio device or a soundfont the game runs on in silence, with one
// line on standard error; so does a tune that is missing or damaged.
#include "platform/sdl/sdl_music.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <fluidsynth.h>
#include <glib.h>
#include <malloc.h>
#include <sys/stat.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/backend.h"
#include "platform/sdl/midi_scan.h"

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
constexpr size_t kLargestTuneBytes = 256 * 1024;
// The previous tune's last notes have ended this long after a switch; the
// memory they held goes back to the system then.
constexpr uint32_t kReleaseAfterMs = 4000;
// Requests this close together (the priming of a switch) load only the last.
constexpr uint32_t kSettleMs = 20;
// How long the loading thread waits for the audio thread to drop the
// previous tune's player before it reads new samples (an audio device that
// has stopped calling back is not waited for longer).
constexpr uint32_t kDropWaitMs = 250;

enum class DeviceState { Untried, Loading, Ready, Failed };

// Guarded by `lock`. The game writes the requests; the audio thread and the
// loading thread write what they have done.
struct Mailbox {
  // The open tune (the game's).
  uint32_t tuneGeneration = 0;  // one more for every open and close
  bool open = false;
  size_t tuneBytes = 0;
  sdlback::TunePresets wanted;
  // What the game asks of it; each request counts up.
  bool wantPlay = false;
  uint32_t startRequests = 0, stopRequests = 0, rewindRequests = 0;
  uint32_t startAskedMs = 0;
  // The loading thread's: the generation whose instruments are held.
  uint32_t loadedGeneration = ~0u;
  sdlback::TunePresets held;
  // The audio thread's: the generation it has seen (and dropped the earlier
  // player for), whether that tune's player exists, the requests it has
  // served and whether the tune has played to its end.
  uint32_t seenGeneration = ~0u;
  bool playerMade = false;
  uint32_t startsServed = 0, rewindsServed = 0;
  bool startPending = false;
  bool atEnd = false;
};

struct MusicDevice {
  std::atomic<DeviceState> state{DeviceState::Untried};
  SDL_mutex* lock = nullptr;
  SDL_sem* loadRequest = nullptr;
  Mailbox box;
  char tune[kLargestTuneBytes];  // the open tune's file (under `lock`)
  // Made by the loading thread before state is Ready, then only read.
  fluid_synth_t* synth = nullptr;
  int font = -1;
  // Plain storage: the loading thread may still read it while the process exits.
  char soundFont[4096];
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

// The whole tune file into `bytes` (at most kLargestTuneBytes); its length,
// or 0 with the reason when it cannot be played.
size_t ReadTuneFile(const std::string& path, char* bytes, const char** problem) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    *problem = errno == ENOENT ? "the tune is missing; it is not played" : "the tune cannot be read; it is not played";
    return 0;
  }
  struct stat st;
  size_t length = 0;
  *problem = "the tune cannot be read; it is not played";
  if (fstat(fileno(file), &st) == 0 && S_ISREG(st.st_mode)) {
    if (st.st_size == 0) {
      *problem = "the tune is not a valid MIDI file; it is not played";
    } else if (size_t(st.st_size) > kLargestTuneBytes) {
      *problem = "the tune is too large; it is not played";
    } else {
      length = std::fread(bytes, 1, size_t(st.st_size), file);
      if (length != size_t(st.st_size)) length = 0;
    }
  }
  std::fclose(file);
  return length;
}

// GLib-based soundfont readers complain on standard error about a damaged
// file; the game says what happened in its own line instead.
void IgnoreLibraryLog(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

void Silence(const char* why) {
  std::fprintf(stderr, "tessivane: %s; the game runs without music.\n", why);
  gDevice.state = DeviceState::Failed;
}

// ---------------------------------------------------------------------------
// The audio thread.

// What the audio thread keeps of its own between slices.
struct AudioSide {
  fluid_player_t* player = nullptr;
  uint32_t generation = ~0u;  // the tune the player (or its absence) is for
  bool playerMade = false;
  uint32_t stopsServed = 0, startsServed = 0, rewindsServed = 0;
  bool startPending = false;  // asked to play, not yet started
  char tune[kLargestTuneBytes];
  size_t tuneBytes = 0;
};
AudioSide gAudio;

// The requests as the audio thread took them for one slice.
struct Requests {
  uint32_t generation;
  bool open, loaded, wantPlay;
  uint32_t startRequests, stopRequests, rewindRequests, startAskedMs;
};

// Notes are released (not cut, so nothing clicks) and the sustain pedals let
// go, for whatever plays next.
void ReleaseNotes() {
  for (int ch = 0; ch < 16; ++ch) fluid_synth_cc(gDevice.synth, ch, 64, 0);
  fluid_synth_all_notes_off(gDevice.synth, -1);
}

void DropPlayer() {
  if (gAudio.player) {
    fluid_player_stop(gAudio.player);
    delete_fluid_player(gAudio.player);
    gAudio.player = nullptr;
    ReleaseNotes();
  }
  gAudio.playerMade = false;
}

// A player at the tune's start (none when the file will not play; the tune
// then counts as ended).
void MakePlayer() {
  DropPlayer();
  gAudio.playerMade = true;
  gAudio.player = new_fluid_player(gDevice.synth);
  if (gAudio.player && fluid_player_add_mem(gAudio.player, gAudio.tune, gAudio.tuneBytes) != FLUID_OK) {
    delete_fluid_player(gAudio.player);
    gAudio.player = nullptr;
  }
}

// The player has passed the last event of its tune. (FluidSynth itself
// reports the end only seconds later, once the voices have died away; that
// would leave a long gap before the tune restarts.)
bool PlayerAtEnd() {
  if (!gAudio.player) return gAudio.playerMade;
  if (fluid_player_get_status(gAudio.player) != FLUID_PLAYER_PLAYING) return true;
  const int total = fluid_player_get_total_ticks(gAudio.player);
  return total > 0 && fluid_player_get_current_tick(gAudio.player) >= total;
}

// Under the lock: posts what the last slice did and takes the requests.
Requests TakeRequests(bool atEnd) {
  Mailbox& box = gDevice.box;
  box.seenGeneration = gAudio.generation;
  box.playerMade = gAudio.playerMade;
  box.startsServed = gAudio.startsServed;
  box.rewindsServed = gAudio.rewindsServed;
  box.startPending = gAudio.startPending;
  box.atEnd = atEnd;
  Requests r{box.tuneGeneration, box.open,           box.loadedGeneration == box.tuneGeneration,
             box.wantPlay,       box.startRequests,  box.stopRequests,
             box.rewindRequests, box.startAskedMs};
  // The tune's file, once, when its player is about to be made.
  if (r.open && r.loaded && !(gAudio.playerMade && gAudio.generation == r.generation) && box.tuneBytes) {
    std::memcpy(gAudio.tune, gDevice.tune, box.tuneBytes);
    gAudio.tuneBytes = box.tuneBytes;
  }
  return r;
}

// Without the lock: brings the player to what was asked.
void ServeRequests(const Requests& r) {
  if (gAudio.generation != r.generation) {
    // Another tune (or none): the player goes; earlier requests are void.
    DropPlayer();
    gAudio.generation = r.generation;
    gAudio.stopsServed = r.stopRequests;
    gAudio.startsServed = r.startRequests;
    gAudio.rewindsServed = r.rewindRequests;
    gAudio.startPending = false;
  }
  if (!r.open || !r.loaded) return;
  if (!gAudio.playerMade || gAudio.rewindsServed != r.rewindRequests) {
    // The instruments are in, or a rewind: the tune stands at its top, and
    // plays when play was asked for (and not stopped since).
    MakePlayer();
    gAudio.stopsServed = r.stopRequests;
    gAudio.startsServed = r.startRequests;
    gAudio.rewindsServed = r.rewindRequests;
    gAudio.startPending = r.wantPlay;
  }
  if (gAudio.stopsServed != r.stopRequests) {
    if (gAudio.player) {
      fluid_player_stop(gAudio.player);
      ReleaseNotes();
    }
    gAudio.stopsServed = r.stopRequests;
    gAudio.startPending = false;
  }
  if (gAudio.startsServed != r.startRequests) {
    gAudio.startsServed = r.startRequests;
    gAudio.startPending = r.wantPlay;
  }
  if (gAudio.startPending && !r.wantPlay) gAudio.startPending = false;
  if (gAudio.startPending && SDL_GetTicks() - r.startAskedMs >= kStartDelayMs) {
    if (gAudio.player) fluid_player_play(gAudio.player);
    gAudio.startPending = false;
  }
}

// The audio thread: the synthesizer renders straight into the output buffer,
// a slice at a time, the requests taken between slices.
void RenderMusic(void*, Uint8* stream, int len) {
  constexpr int kSliceFrames = 256;
  int16_t* out = reinterpret_cast<int16_t*>(stream);
  for (int left = len / 4; left > 0;) {
    const int frames = left < kSliceFrames ? left : kSliceFrames;
    if (gDevice.state == DeviceState::Ready) {
      const bool atEnd = PlayerAtEnd();
      Requests requests;
      {
        Guard guard;
        requests = TakeRequests(atEnd);
      }
      ServeRequests(requests);
      fluid_synth_write_s16(gDevice.synth, frames, out, 0, 2, out, 1, 2);
      const int volume = musicVolume.load();
      if (volume < 10)
        for (int k = 0; k < 2 * frames; ++k) out[k] = int16_t(out[k] * volume / 10);
    } else {
      std::memset(out, 0, size_t(frames) * 4);
    }
    out += 2 * frames;
    left -= frames;
  }
}

// ---------------------------------------------------------------------------
// The loading thread.

// The instruments the loading thread has pinned (their samples kept in
// memory whether or not a channel plays them).
sdlback::TunePresets gPinned;

// Pins each instrument of `wanted` (reading its samples) and unpins those it
// does not name. With `tuneChannels` (only while no player exists, since a
// playing tune changes programs itself) the sixteen channels also give back
// what the previous tune left on them: a channel the tune plays before
// choosing an instrument gets the default one (the piano; the standard drum
// kit on channel 10), the others none until the tune chooses. The mailbox's
// `held` follows.
void HoldInstruments(const sdlback::TunePresets& wanted, bool tuneChannels) {
  fluid_synth_t* synth = gDevice.synth;
  for (int ch = 0; tuneChannels && ch < 16; ++ch) {
    if (wanted.defaultChannels & (1u << ch)) {
      fluid_synth_program_select(synth, ch, gDevice.font, ch == 9 ? 128 : 0, 0);
    } else {
      fluid_synth_unset_program(synth, ch);
    }
  }
  sdlback::TunePresets now;
  for (int i = 0; i < gPinned.count; ++i) {
    if (sdlback::HasTunePreset(wanted, gPinned.bank[i], gPinned.program[i]))
      sdlback::AddTunePreset(&now, gPinned.bank[i], gPinned.program[i]);
    else
      fluid_synth_unpin_preset(synth, gDevice.font, gPinned.bank[i], gPinned.program[i]);
  }
  for (int i = 0; i < wanted.count; ++i) {
    if (sdlback::HasTunePreset(now, wanted.bank[i], wanted.program[i])) continue;
    // A preset the soundfont lacks is not pinned (the synthesizer plays a
    // stand-in, read when it is first asked for).
    if (fluid_synth_pin_preset(synth, gDevice.font, wanted.bank[i], wanted.program[i]) == FLUID_OK)
      sdlback::AddTunePreset(&now, wanted.bank[i], wanted.program[i]);
  }
  gPinned = now;
  Guard guard;
  gDevice.box.held = now;
}

bool MakeSynth() {
  for (int level = 0; level <= FLUID_DBG; ++level) fluid_set_log_function(level, nullptr, nullptr);
  fluid_settings_t* settings = new_fluid_settings();
  if (!settings) return false;
  fluid_settings_setnum(settings, "synth.sample-rate", kSampleRate);
  fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1);
  fluid_settings_setint(settings, "synth.polyphony", kPolyphony);
  fluid_settings_setnum(settings, "synth.gain", kSynthGain);
  fluid_settings_setint(settings, "synth.cpu-cores", 1);
  // No reset of the synth when a tune starts: it would cut the release of the
  // previous tune's notes short (a click). Each tune sets its channels up.
  fluid_settings_setint(settings, "player.reset-synth", 0);
  fluid_synth_t* synth = new_fluid_synth(settings);
  const GLogFunc oldLog = g_log_set_default_handler(IgnoreLibraryLog, nullptr);
  const int font = synth ? fluid_synth_sfload(synth, gDevice.soundFont, 1) : FLUID_FAILED;
  g_log_set_default_handler(oldLog, nullptr);
  if (font == FLUID_FAILED) {
    if (synth) delete_fluid_synth(synth);
    delete_fluid_settings(settings);
    return false;
  }
  fluid_synth_set_interp_method(synth, -1, FLUID_INTERP_LINEAR);
  // Loading the soundfont gave every channel the piano (and channel 10 the
  // drum kit): no channel holds an instrument until a tune asks for it.
  for (int ch = 0; ch < 16; ++ch) fluid_synth_unset_program(synth, ch);
  // `settings` lives as long as the synthesizer: the whole run.
  gDevice.synth = synth;
  gDevice.font = font;
  return true;
}

// The loading thread: the soundfont once, then each tune's instruments.
int LoadMusic(void*) {
  if (!MakeSynth()) {
    Silence((std::string("the soundfont ") + gDevice.soundFont + " is damaged or not a soundfont").c_str());
    return 0;
  }
  gDevice.state = DeviceState::Ready;
  bool letGoPending = false;
  for (;;) {
    if (SDL_SemWaitTimeout(gDevice.loadRequest, letGoPending ? kReleaseAfterMs : SDL_MUTEX_MAXWAIT) != 0) {
      // Quiet since the last switch: the previous tune's last notes have
      // ended, and the pages its samples filled go back to the system.
      letGoPending = false;
      malloc_trim(0);
      continue;
    }
    SDL_Delay(kSettleMs);
    while (SDL_SemTryWait(gDevice.loadRequest) == 0) {
    }
    uint32_t generation = 0;
    sdlback::TunePresets wanted;
    {
      Guard guard;
      if (!gDevice.box.open || gDevice.box.loadedGeneration == gDevice.box.tuneGeneration) continue;
      generation = gDevice.box.tuneGeneration;
      wanted = gDevice.box.wanted;
    }
    // The previous tune's player goes first, so that the audio thread is not
    // in the synthesizer's calls while samples are read.
    for (uint32_t waited = 0; waited < kDropWaitMs; waited += 5) {
      {
        Guard guard;
        if (gDevice.box.seenGeneration == generation || gDevice.box.tuneGeneration != generation) break;
      }
      SDL_Delay(5);
    }
    // The previous tune's instruments go before the new one's come in (notes
    // still ringing keep their samples until they end), so the two tunes'
    // are rarely in memory together.
    HoldInstruments(wanted, true);
    Guard guard;
    if (gDevice.box.tuneGeneration == generation) gDevice.box.loadedGeneration = generation;
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
  if (!gDevice.lock || !gDevice.loadRequest || SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
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
  SDL_Thread* loader = SDL_CreateThread(LoadMusic, "music", nullptr);
  if (!loader) {
    Silence("the music's loading thread could not start");
    return false;
  }
  SDL_DetachThread(loader);
  return true;
}

// True once the soundfont is loaded and tunes sound (false while loading or
// when the device failed).
bool IsMusicDeviceReady() { return gDevice.state == DeviceState::Ready; }

bool IsTuneLoaded() {
  if (gDevice.state != DeviceState::Ready) return false;
  Guard guard;
  const Mailbox& box = gDevice.box;
  return box.open && box.seenGeneration == box.tuneGeneration && box.playerMade;
}

bool IsInstrumentHeld(int bank, int program) {
  if (gDevice.state != DeviceState::Ready) return false;
  Guard guard;
  return sdlback::HasTunePreset(gDevice.box.held, bank, program);
}

bool OpenTune(const std::string& path) {
  if (!StartMusicDevice()) return false;
  CloseTune();
  static char file[kLargestTuneBytes];
  const char* problem = nullptr;
  const size_t length = ReadTuneFile(path, file, &problem);
  sdlback::TunePresets presets;
  if (!length) {
    ReportTuneProblem(path, problem);
    return false;
  }
  if (!sdlback::ScanMidiFile(reinterpret_cast<const uint8_t*>(file), length, &presets)) {
    ReportTuneProblem(path, "the tune is not a valid MIDI file; it is not played");
    return false;
  }
  Guard guard;
  std::memcpy(gDevice.tune, file, length);
  Mailbox& box = gDevice.box;
  ++box.tuneGeneration;
  box.open = true;
  box.tuneBytes = length;
  box.wanted = presets;
  box.wantPlay = false;
  SDL_SemPost(gDevice.loadRequest);
  return true;
}

void PlayTune() {
  if (gDevice.state == DeviceState::Untried || gDevice.state == DeviceState::Failed) return;
  Guard guard;
  Mailbox& box = gDevice.box;
  if (!box.open) return;
  if (box.wantPlay) return;  // playing, or at its end (where it stays)
  box.wantPlay = true;
  ++box.startRequests;
  box.startAskedMs = SDL_GetTicks();
}

void RewindAndPlayTune() {
  if (gDevice.state == DeviceState::Untried || gDevice.state == DeviceState::Failed) return;
  Guard guard;
  Mailbox& box = gDevice.box;
  if (!box.open) return;
  box.wantPlay = true;
  ++box.rewindRequests;
  box.startAskedMs = SDL_GetTicks() - kStartDelayMs;
}

void StopTune() {
  if (gDevice.state == DeviceState::Untried || gDevice.state == DeviceState::Failed) return;
  Guard guard;
  Mailbox& box = gDevice.box;
  if (!box.open) return;
  box.wantPlay = false;
  ++box.stopRequests;
}

void CloseTune() {
  if (gDevice.state == DeviceState::Untried || gDevice.state == DeviceState::Failed) return;
  Guard guard;
  Mailbox& box = gDevice.box;
  if (!box.open) return;
  ++box.tuneGeneration;
  box.open = box.wantPlay = false;
  box.tuneBytes = 0;
}

void SetMusicVolume(int volume) { musicVolume = volume < 0 ? 0 : volume > 10 ? 10 : volume; }

bool IsTuneStopped() {
  if (gDevice.state == DeviceState::Untried || gDevice.state == DeviceState::Failed) return false;
  Guard guard;
  const Mailbox& box = gDevice.box;
  if (!box.open) return false;
  if (!box.wantPlay) return true;
  // Asked to play: it is stopped once its player has reached the end, every
  // request having been served.
  return box.seenGeneration == box.tuneGeneration && box.playerMade && box.startsServed == box.startRequests &&
         box.rewindsServed == box.rewindRequests && !box.startPending && box.atEnd;
}

}  // namespace platform
