// The web build's start: the game, recording every game as on the desktop.
// Watching a replay from the game's lists loads the page again with the
// replay's file name in the address (?watch=NAME, a file of the player's
// replay folder); at the replay's end the page is loaded again without it,
// as the desktop game starts itself anew.
#include <emscripten.h>

#include <string>

#include "app/replay_indicator.h"
#include "app/replay_recorder.h"
#include "app/replay_watch.h"
#include "app/startup.h"
#include "frontend/replay_list.h"
#include "platform/screenshot.h"

namespace {

// The replay named in the page's address, or "" (a name that is not a plain
// file name is ignored).
std::string ReplayNameInAddress() {
  char text[256] = {};
  EM_ASM({ stringToUTF8(new URLSearchParams(location.search).get("watch") || "", $0, $1); }, text, sizeof text);
  const std::string name = text;
  if (name == "." || name == ".." || name.find('/') != std::string::npos) return std::string();
  return name;
}

// Loads the page again once the player's files are in the browser's storage
// (web/shell.html), and waits for it.
[[noreturn]] void ReloadPage(const std::string& replayPath) {
  const size_t slash = replayPath.rfind('/');
  const std::string name = slash == std::string::npos ? replayPath : replayPath.substr(slash + 1);
  EM_ASM({ Module.tessivaneRestart(UTF8ToString($0)); }, name.c_str());
  for (;;) emscripten_sleep(1000);
}

}  // namespace

int main() {
  SetProgramRestarter(ReloadPage);
  SetCornerLabel(ReplayIndicator);
  const std::string watch = ReplayNameInAddress();
  if (!watch.empty()) WatchReplay(ReplayFolder() + "/" + watch, true);
  SetReplayRecording(true);
  OfferReplayList(true);
  StartUp();
}
