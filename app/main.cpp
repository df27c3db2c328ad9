#include <cstring>
#include <string>

#include "app/replay_recorder.h"
#include "app/replay_watch.h"
#include "app/startup.h"
#include "frontend/replay_list.h"
#include "platform/language.h"
#include "platform/screenshot.h"

namespace {

// The corner word while a replay is watched: "REPLAY", and its speed when fast.
std::string ReplayIndicator() {
  if (!IsWatchingReplay()) return std::string();
  std::string label = language::Translate(language::TranslatedLater("REPLAY"));
  if (ReplayWatchSpeed() > 1) label += " x" + std::to_string(ReplayWatchSpeed());
  return label;
}

}  // namespace

// tessivane            plays, recording every game
// tessivane FILE       plays the replay FILE, then ends
// (--watch-from-game FILE: the same, started from the game's replay list,
// which comes back to the game at the end)
int main(int argc, char** argv) {
  language::UseEnvironmentLocale();
  SetCornerLabel(ReplayIndicator);
  if (argc == 3 && std::strcmp(argv[1], "--watch-from-game") == 0) WatchReplay(argv[2], true);
  if (argc == 2) WatchReplay(argv[1], false);
  SetReplayRecording(true);
  OfferReplayList(true);
  StartUp();
}
