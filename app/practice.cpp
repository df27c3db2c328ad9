#include "app/practice.h"

#include "app/app_state.h"
#include "app/main_loop.h"
#include "app/pause.h"
#include "app/replay_recorder.h"
#include "app/replay_viewer.h"
#include "app/state_snapshot.h"
#include "frontend/overlay_menu.h"
#include "frontend/title.h"
#include "platform/input.h"
#include "platform/language.h"
#include "platform/machine.h"
#include "presentation/game_over.h"
#include "presentation/game_reset.h"
#include "world/world_state.h"

namespace {

PracticeState gState{};
// Where a replay was taken over: retried from, and gone back to.
StateSnapshot gTakeOverPoint;

// The game of the take-over point again, played live from there.
[[noreturn]] void PlayOnFromTakeOverPoint() {
  RestoreSnapshot(gTakeOverPoint);
  machine::GoLiveFromHere();
  gState.active = true;
  gState.tookOver = true;
  FlushInput();
  HoldBackHeldButtons();
  MainLoop();
}

}  // namespace

bool InPractice() { return gState.active; }
bool PracticeTookOver() { return gState.active && gState.tookOver; }

void StartPractice(const PracticeChoice& choice) {
  gState = PracticeState{true, false, choice};
  ResetGame();
  PrepareGameStart(choice.stage);
  hardMode = choice.difficulty == 1 ? 1 : 0;
  easyMode = choice.difficulty == 2 ? 1 : 0;
  fullRunFlag = 0;
  EnterGame(choice.boss);
}

bool TakeOverReplay() {
  if (!machine::IsPlayingBack() || !InPlayMode()) return false;
  TakeSnapshot(&gTakeOverPoint);
  machine::GoLiveFromHere();
  gState = PracticeState{true, true, PracticeChoice{stageNo, false, 0}};
  return true;
}

void EndPractice() {
  paused = 0;
  FreezePicture();
  const char* const items[] = {language::TranslatedLater("Retry"), LeavePracticeLabel()};
  if (RunOverlayMenu(language::TranslatedLater("PRACTICE"), items, 2, 0) == 0) RetryPractice();
  LeavePractice();
}

void RetryPractice() {
  paused = 0;
  if (gState.tookOver) PlayOnFromTakeOverPoint();
  gameMode = kModeLeaveForTitle;
  NoteGameEnd();  // the run just played is kept as a replay
  StartPractice(gState.choice);
}

void LeavePractice() {
  paused = 0;
  if (gState.tookOver) {
    // Back to watching, paused at the moment the replay was taken over.
    RestoreSnapshot(gTakeOverPoint);
    gState = PracticeState{};
    ReplayViewerBackFromTakeOver();
    MainLoop();
  }
  gState.active = false;
  RestorePicture();
  FlushInput();
  gameMode = kModeLeaveForTitle;
  WipeToTitle();
  ResetGame();
  ShowPracticeMenuOnTitle();
}

const char* LeavePracticeLabel() { return language::TranslatedLater("End practice"); }

PracticeState SavePracticeState() { return gState; }
void RestorePracticeState(const PracticeState& state) { gState = state; }
