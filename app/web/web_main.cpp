// The web build's start: the game, recording every game as on the desktop.
// Watching a replay from the game's lists loads the page again with the
// replay's file name in the address (?watch=NAME, a file of the player's
// replay folder, and &back-to=table or replays, the list it was chosen
// from); at the replay's end the page is loaded again without it, at that
// list (?back-to=...), as the desktop game starts itself anew. A score server serving this site
// links to ?watch=/api/replays/ID/file: a replay of the page's own server,
// fetched and watched the same way.
#include <emscripten.h>

#include <string>

#include "app/replay_indicator.h"
#include "app/replay_recorder.h"
#include "app/replay_watch.h"
#include "app/start_request.h"
#include "app/startup.h"
#include "frontend/replay_list.h"
#include "platform/screenshot.h"

namespace {

constexpr const char* kServerReplays = "/api/replays/";
constexpr const char* kFetchedReplay = "/tmp/watched.tvreplay";

// The page address's parameter `name` (?watch=..., ?back-to=...), or "".
std::string AddressParameter(const char* name) {
  char text[256] = {};
  EM_ASM({ stringToUTF8(new URLSearchParams(location.search).get(UTF8ToString($0)) || "", $1, $2); }, name, text,
         sizeof text);
  return text;
}

// A plain file name of the replay folder, or "" for anything else.
std::string ReplayFileName(const std::string& name) {
  if (name == "." || name == ".." || name.find('/') != std::string::npos) return std::string();
  return name;
}

// A score server's replay address of this page's own origin
// (/api/replays/ID/file), or "".
std::string ServerReplayAddress(const std::string& watch) {
  const std::string prefix = kServerReplays;
  if (watch.compare(0, prefix.size(), prefix) != 0) return std::string();
  const std::string rest = watch.substr(prefix.size());
  const size_t slash = rest.find('/');
  if (slash == 0 || slash == std::string::npos || rest.substr(slash) != "/file" ||
      rest.substr(0, slash).find_first_not_of("0123456789") != std::string::npos)
    return std::string();
  return watch;
}

// Fetches `address` into the file `path`; 1 when it was fetched whole.
EM_ASYNC_JS(int, FetchIntoFile, (const char* address, const char* path), {
  try {
    const answer = await fetch(UTF8ToString(address), {credentials: 'same-origin'});
    if (!answer.ok) return 0;
    FS.writeFile(UTF8ToString(path), new Uint8Array(await answer.arrayBuffer()));
    return 1;
  } catch (e) {
    return 0;
  }
});

// Loads the page again once the player's files are in the browser's storage
// (web/shell.html), and waits for it.
[[noreturn]] void ReloadPage(const std::string& replayPath, const std::string& backTo) {
  const size_t slash = replayPath.rfind('/');
  const std::string name = slash == std::string::npos ? replayPath : replayPath.substr(slash + 1);
  EM_ASM({ Module.tessivaneRestart(UTF8ToString($0), UTF8ToString($1)); }, name.c_str(), backTo.c_str());
  for (;;) emscripten_sleep(1000);
}

}  // namespace

int main() {
  SetProgramRestarter(ReloadPage);
  SetCornerLabel(ReplayIndicator);
  const std::string watch = AddressParameter("watch");
  const std::string backTo = AddressParameter("back-to");
  const std::string fromServer = ServerReplayAddress(watch);
  // A replay that cannot be fetched is refused by WatchReplay, naming why.
  if (!fromServer.empty()) {
    FetchIntoFile(fromServer.c_str(), kFetchedReplay);
    WatchReplay(kFetchedReplay, true);
  }
  const std::string name = ReplayFileName(watch);
  if (!name.empty()) WatchReplay(ReplayFolder() + "/" + name, true, backTo);
  if (backTo == kBackToTable) AskToStartAt(StartAt::TableReplayList);
  if (backTo == kBackToReplays) AskToStartAt(StartAt::EscapeReplayList);
  SetReplayRecording(true);
  OfferReplayList(true);
  StartUp();
}
