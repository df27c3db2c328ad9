// The clock, waiting, folders, the touch controls' settings and the end of
// the process in the browser.
// The game's loops block as on the desktop; Asyncify lets each wait hand the
// thread back to the browser, so the page draws, plays sound and takes keys.
#include <emscripten.h>
#include <time.h>

#include <cmath>
#include <string>

#include "platform/backend.h"
#include "platform/files.h"
#include "platform/sdl/sdl_internal.h"
#include "platform/text/text_font.h"

namespace {

const double gClockOriginMs = emscripten_get_now();

}  // namespace

namespace platform {

uint32_t ReadClockMs() { return uint32_t(uint64_t(emscripten_get_now() - gClockOriginMs)); }

// Sleeps in the browser until shortly before the clock shows `ms` more
// milliseconds; the browser's timers are coarse, so the last part is given
// back in zero-length sleeps rather than spun (a spin would freeze the page).
void Idle(uint32_t ms) {
  if (ms == 0) ms = 1;
  const double target = std::floor(emscripten_get_now() - gClockOriginMs) + ms;
  const double now = emscripten_get_now() - gClockOriginMs;
  if (target - now > 1.5) emscripten_sleep(unsigned(target - now - 1.0));
  while (emscripten_get_now() - gClockOriginMs < target) emscripten_sleep(0);
}

uint32_t RandomSeed() {
  timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  return uint32_t(ts.tv_sec) * 1000u + uint32_t(ts.tv_nsec / 1000000);
}

// A page has no screen saver to turn off.
bool IsScreenSaverEnabled() { return false; }
void SetScreenSaverEnabled(bool) {}

// The page has touch buttons and the drag (web/shell.html); it lays them out
// as the player set them at once.
bool HasTouchControls() { return true; }
void SetTouchControls(bool leftHanded, int size, int dragPercent) {
  EM_ASM({ if (Module.tessivaneTouchSettings) Module.tessivaneTouchSettings($0 != 0, $1, $2 / 100); },
         leftHanded ? 1 : 0, size, dragPercent);
}

// One tab of the site plays at a time: every tab writes the whole storage
// back from its own copy of the files, so a second one would remove the
// first one's new replays and put back an older score table. The page asks
// the browser for the game's lock before the game starts (web/shell.html);
// a browser without locks plays in every tab, as before.
bool ClaimSingleInstance() {
  return EM_ASM_INT({ return Module.tessivaneClaimed === false ? 0 : 1; }) != 0;
}

// The map and the tunes come with the page, preloaded into /game.
std::string BaseDirectory() { return "/game"; }

// The player's folders ($HOME) live in the browser's storage: the page loads
// them before the game starts and writes them back after each file is put in
// place (web/shell.html). The score file goes to the data folder there.
std::string DataDirectory() {
  static std::string data;
  if (data.empty()) {
    data = files::DataHome() + "/tessivane";
    int error = 0;
    if (!files::MakeFolders(data, &error)) data = "/tmp";
  }
  return data;
}

void EndProcess(int status) {
  EM_ASM({
    if (Module.tessivaneEnded) Module.tessivaneEnded();
  });
  emscripten_force_exit(status);
}

}  // namespace platform

namespace sdlback {

// A page has no termination signals: it ends when the player leaves it.
void InstallEndingHandlers() {}
bool QuitSignalled() { return false; }

}  // namespace sdlback

// For the page: the whole font has been fetched (the page comes with it cut
// to the game's own characters); the texts are drawn with it from now on.
extern "C" EMSCRIPTEN_KEEPALIVE void tessivane_font_arrived() { platform::ReplaceTextFont("/game/fonts/ipag.ttf"); }
