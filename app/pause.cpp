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

enum PauseItem { kResume, kOptions, kQuitToTitle, kQuitGame, kPauseItemCount };
const char* const kPauseItems[kPauseItemCount] = {
    language::TranslatedLater("Resume"), language::TranslatedLater("Options"),
    language::TranslatedLater("Quit to title"), language::TranslatedLater("Quit game")};
// During practice "Quit to title" (which would offer the high-score table)
// gives way to trying again and going back.
enum PracticePauseItem { kPracticeResume, kPracticeOptions, kPracticeRetry, kPracticeLeave, kPracticeQuitGame };
constexpr int kPracticePauseItemCount = 5;

bool InPlay() {
  return gameMode == kModePlay || gameMode == kModeDeathFadeOut || gameMode == kModeDeathFadeBack ||
         gameMode == kModeContinueAccepted;
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
  if (!InPlay()) return;
  if (!machine::IsWindowInactive() && !PauseInputPressed()) return;

  paused = 1;
  const bool tuneWasSounding = musicLooping == -1 && !machine::IsTuneStopped();
  if (tuneWasSounding) platform::StopTune();
  FreezePicture();
  int start = kResume;
  for (;;) {
    if (InPractice()) {
      const char* const items[kPracticePauseItemCount] = {kPauseItems[kResume], kPauseItems[kOptions],
                                                          language::TranslatedLater("Retry"), LeavePracticeLabel(),
                                                          kPauseItems[kQuitGame]};
      switch (RunOverlayMenu("PAUSED", items, kPracticePauseItemCount, start)) {
        case kPracticeOptions:
          RunOptionsScreen();
          start = kOptions;
          continue;
        case kPracticeRetry: RetryPractice();
        case kPracticeLeave: LeavePractice();
        case kPracticeQuitGame: ExitProgram();
        default: Resume(tuneWasSounding); return;
      }
    }
    const int choice = RunOverlayMenu("PAUSED", kPauseItems, kPauseItemCount, start);
    switch (choice) {
      case kOptions:
        RunOptionsScreen();
        start = kOptions;
        continue;
      case kQuitToTitle: QuitToTitle();
      case kQuitGame: ExitProgram();
      default: Resume(tuneWasSounding); return;
    }
  }
}
