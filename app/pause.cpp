#include "app/pause.h"

#include "app/app_state.h"
#include "app/main_loop.h"
#include "app/practice.h"
#include "app/startup.h"
#include "frontend/options_screen.h"
#include "frontend/overlay_menu.h"
#include "platform/backend.h"
#include "platform/input.h"
#include "platform/language.h"
#include "platform/machine.h"
#include "platform/music.h"
#include "platform/surface.h"
#include "frontend/title.h"
#include "presentation/game_over.h"
#include "presentation/game_reset.h"

int16_t paused;

namespace {

enum class PauseAction { Resume, Options, QuitToTitle, Retry, LeavePractice, QuitGame };
constexpr int kMaxPauseItems = 5;
// The menu's items, Options second. During practice "Quit to title" (which
// would offer the high-score table) gives way to trying again and going back.
int PauseItems(const char** labels, PauseAction* actions) {
  int n = 0;
  const auto add = [&](const char* label, PauseAction action) {
    labels[n] = label;
    actions[n++] = action;
  };
  add(language::TranslatedLater("Resume"), PauseAction::Resume);
  add(language::TranslatedLater("Options"), PauseAction::Options);
  if (InPractice()) {
    add(language::TranslatedLater("Retry"), PauseAction::Retry);
    add(LeavePracticeLabel(), PauseAction::LeavePractice);
  } else {
    add(language::TranslatedLater("Quit to title"), PauseAction::QuitToTitle);
  }
  add(language::TranslatedLater("Quit game"), PauseAction::QuitGame);
  return n;
}

// Ends the run at the player's word: the name entry when the score ranks,
// then straight to the title menu, without the game-over caption and the
// title's intro that a game lost in play goes through.
[[noreturn]] void QuitToTitle() {
  paused = 0;
  RestorePicture();
  RefreshScreen();
  FlushInput();
  gameMode = kModeLeaveForTitle;
  PromptHighScoreName();
  WipeToTitle();
  ResetGame();
  ShowTitleMenu();
}

void Resume(bool tuneWasSounding) {
  RestorePicture();
  RefreshScreen();
  if (tuneWasSounding) platform::PlayTune();
  FlushInput();
  HoldBackHeldButtons();
  paused = 0;
}

}  // namespace

void PauseIfAsked() {
  if (!InPlayMode()) return;
  if (!machine::IsWindowInactive() && !PauseInputPressed()) return;

  paused = 1;
  const bool tuneWasSounding = musicLooping == -1 && !machine::IsTuneStopped();
  if (tuneWasSounding) platform::StopTune();
  FreezePicture();
  const char* labels[kMaxPauseItems];
  PauseAction actions[kMaxPauseItems];
  const int count = PauseItems(labels, actions);
  int start = 0;
  for (;;) {
    const int choice = RunOverlayMenu("PAUSED", labels, count, start);
    switch (choice < 0 ? PauseAction::Resume : actions[choice]) {
      case PauseAction::Options:
        RunOptionsScreen();
        start = choice;
        continue;
      case PauseAction::QuitToTitle: QuitToTitle();
      case PauseAction::Retry: RetryPractice();
      case PauseAction::LeavePractice: LeavePractice();
      case PauseAction::QuitGame: ExitProgram();
      case PauseAction::Resume: Resume(tuneWasSounding); return;
    }
  }
}
