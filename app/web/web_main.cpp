// The web build's start: the game, recording every game as on the desktop.
// The replay list is not offered: watching a replay from it starts the
// program anew, which a page cannot do.
#include "app/replay_recorder.h"
#include "app/startup.h"
#include "frontend/replay_list.h"

int main() {
  SetReplayRecording(true);
  OfferReplayList(false);
  StartUp();
}
