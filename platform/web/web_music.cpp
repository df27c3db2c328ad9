// The music device of the web build: the tunes were rendered at build time
// from the game's MIDI files to Ogg Vorbis, cut at the end of their last note
// event, and are played by SDL2_mixer (the output: platform/ogg/ogg_output.cpp,
// shared with the Windows build's device). The game still names the MIDI file;
// its rendering lies beside it in QapoOgg/ under the same stem.
// Semantics as on the desktop: one current tune; play resumes a stopped tune
// where it stopped, but a tune that played to its end stays there; it counts
// as stopped once it has ended or was stopped.
//
// The renderings do not come with the page: each is fetched when the game
// first opens it (web/shell.html, Module.tessivaneFetchTune), and the game
// never waits for it. Until it has arrived the device keeps the tune's time
// by the clock, from its length (QapoOgg/lengths, written at build time), so
// that the game is told what the whole tune would tell it: stopped when
// stopped or at its end, playing otherwise. When it arrives it starts where
// that time has come to.
#include <emscripten.h>

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/backend.h"
#include "platform/ogg/ogg_output.h"
#include "platform/sdl/sdl_music.h"

namespace {

struct MusicDevice {
  bool open = false;          // a tune is open (arrived or not)
  std::string file;           // its rendering's path
  double lengthMs = 0;        // its length; 0 when unknown
  Mix_Music* tune = nullptr;  // its rendering, once arrived
  bool wantPlay = false;      // play was asked for and not stopped since
  bool started = false;       // the tune has been started since it was opened
  // The tune's time while its rendering has not arrived: where it stood when
  // last stopped, and when it (re)started playing (the page's clock, ms).
  double heldAtMs = 0;
  double playingSinceMs = 0;
};
MusicDevice gDevice;

std::string FileNameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The rendering's length in ms from the lengths file beside it ("name.ogg
// seconds" lines); 0 when it is not listed.
double LengthOf(const std::string& rendering) {
  const size_t slash = rendering.rfind('/');
  const std::string list = (slash == std::string::npos ? std::string() : rendering.substr(0, slash + 1)) + "lengths";
  const std::string name = FileNameOf(rendering);
  std::FILE* f = std::fopen(list.c_str(), "r");
  if (!f) return 0;
  char line[256];
  double ms = 0;
  while (std::fgets(line, sizeof line, f)) {
    char listed[200];
    double seconds = 0;
    if (std::sscanf(line, "%199s %lf", listed, &seconds) == 2 && name == listed) {
      ms = seconds * 1000.0;
      break;
    }
  }
  std::fclose(f);
  return ms;
}

bool FileExists(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  std::fclose(f);
  return true;
}

double NowMs() { return emscripten_get_now(); }

// Where the tune's time stands while its rendering has not arrived.
double ClockPositionMs() {
  if (!gDevice.wantPlay) return gDevice.heldAtMs;
  const double at = gDevice.heldAtMs + (NowMs() - gDevice.playingSinceMs);
  return gDevice.lengthMs > 0 && at > gDevice.lengthMs ? gDevice.lengthMs : at;
}

bool ClockAtEnd() { return gDevice.lengthMs > 0 && ClockPositionMs() >= gDevice.lengthMs; }

// Loads the current tune's rendering if it is there now, and starts it where
// the tune's time stands.
void TakeArrivedTune() {
  if (!gDevice.open || gDevice.tune || !FileExists(gDevice.file)) return;
  gDevice.tune = Mix_LoadMUS(gDevice.file.c_str());
  if (!gDevice.tune || !gDevice.started) return;
  const double at = ClockPositionMs();
  if (gDevice.wantPlay && ClockAtEnd()) {
    gDevice.started = false;  // ended while on its way: it stays silent, at its end
    return;
  }
  if (Mix_PlayMusic(gDevice.tune, 0) != 0) {
    gDevice.started = false;
    return;
  }
  Mix_SetMusicPosition(at / 1000.0);
  if (!gDevice.wantPlay) Mix_PauseMusic();
}

// clang-format off
EM_JS(void, FetchTune, (const char* path), {
  if (Module.tessivaneFetchTune) Module.tessivaneFetchTune(UTF8ToString(path));
});
// clang-format on

}  // namespace

namespace platform {

bool OpenTune(const std::string& path) {
  CloseTune();
  if (!StartMusicDevice()) return false;
  gDevice.file = OggRenderingOf(path);
  gDevice.lengthMs = LengthOf(gDevice.file);
  gDevice.wantPlay = gDevice.started = false;
  gDevice.heldAtMs = gDevice.playingSinceMs = 0;
  if (FileExists(gDevice.file)) {
    gDevice.tune = Mix_LoadMUS(gDevice.file.c_str());
    gDevice.open = gDevice.tune != nullptr;
    return gDevice.open;
  }
  // Not here yet: a tune the build knows is on its way.
  if (gDevice.lengthMs <= 0) return false;
  gDevice.open = true;
  FetchTune(gDevice.file.c_str());
  return true;
}

void PlayTune() {
  if (!gDevice.open) return;
  if (gDevice.wantPlay) return;  // playing, or played to its end: stays there
  gDevice.wantPlay = true;
  if (!gDevice.tune) {
    gDevice.started = true;
    gDevice.playingSinceMs = NowMs();
  } else if (!gDevice.started) {
    gDevice.started = Mix_PlayMusic(gDevice.tune, 0) == 0;
  } else {
    Mix_ResumeMusic();
  }
}

void RewindAndPlayTune() {
  if (!gDevice.open) return;
  gDevice.wantPlay = true;
  if (!gDevice.tune) {
    gDevice.started = true;
    gDevice.heldAtMs = 0;
    gDevice.playingSinceMs = NowMs();
    return;
  }
  gDevice.started = Mix_PlayMusic(gDevice.tune, 0) == 0;
}

void StopTune() {
  if (!gDevice.open) return;
  if (!gDevice.tune && gDevice.wantPlay) gDevice.heldAtMs = ClockPositionMs();
  gDevice.wantPlay = false;
  if (gDevice.tune && gDevice.started) Mix_PauseMusic();
}

void CloseTune() {
  if (gDevice.tune) {
    Mix_HaltMusic();
    Mix_FreeMusic(gDevice.tune);
  }
  gDevice.tune = nullptr;
  gDevice.open = false;
  gDevice.wantPlay = gDevice.started = false;
}

bool IsTuneStopped() {
  if (!gDevice.open) return false;
  if (!gDevice.wantPlay) return true;
  if (!gDevice.tune) return ClockAtEnd();
  return !Mix_PlayingMusic() || Mix_PausedMusic();
}

}  // namespace platform

// For the page: a tune's rendering has arrived (in its QapoOgg/ folder).
extern "C" EMSCRIPTEN_KEEPALIVE void tessivane_tune_arrived() { TakeArrivedTune(); }

// For the page and its tests: seconds into the current tune, -1 without one.
extern "C" EMSCRIPTEN_KEEPALIVE double tessivane_music_position() {
  if (!gDevice.open || !gDevice.started) return -1.0;
  if (!gDevice.tune) return ClockPositionMs() / 1000.0;
  return Mix_GetMusicPosition(gDevice.tune);
}

// For the page and its tests: the music's volume as SDL_mixer plays it
// (0..128).
extern "C" EMSCRIPTEN_KEEPALIVE int tessivane_music_volume() { return Mix_VolumeMusic(-1); }
