#include <cstring>
#include <string>

#include "app/replay_indicator.h"
#include "app/replay_recorder.h"
#include "app/replay_watch.h"
#include "app/start_request.h"
#include "app/startup.h"
#include "frontend/replay_list.h"
#include "platform/language.h"
#include "platform/screenshot.h"

// tessivane            plays, recording every game
// tessivane FILE       plays the replay FILE, then ends
// (--watch-from-game FILE [--back-to table|replays]: the same, started from
// the game's replay list, which comes back to the game at the end, at that
// list; --back-to table|replays alone: the game, starting at that list)
int main(int argc, char** argv) {
  language::UseEnvironmentLocale();
  SetCornerLabel(ReplayIndicator);
  const bool backTo = argc >= 3 && std::strcmp(argv[argc - 2], kBackToOption) == 0;
  const std::string where = backTo ? argv[argc - 1] : "";
  if (backTo) argc -= 2;
  if (argc == 3 && std::strcmp(argv[1], "--watch-from-game") == 0) WatchReplay(argv[2], true, where);
  if (argc == 2) WatchReplay(argv[1], false);
  if (where == kBackToTable) AskToStartAt(StartAt::TableReplayList);
  if (where == kBackToReplays) AskToStartAt(StartAt::EscapeReplayList);
  SetReplayRecording(true);
  OfferReplayList(true);
  StartUp();
}
