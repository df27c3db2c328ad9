#include <cstring>

#include "app/replay_indicator.h"
#include "app/replay_recorder.h"
#include "app/replay_watch.h"
#include "app/startup.h"
#include "frontend/replay_list.h"
#include "platform/language.h"
#include "platform/screenshot.h"

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
