#include "frontend/selection.h"

#include <string>

#include "app/app_state.h"
#include "app/main_loop.h"
#include "data/score_file.h"
#include "enemies/stage_flow.h"
#include "frontend/title.h"
#include "frontend/transitions.h"
#include "platform/blit.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "platform/keys.h"
#include "platform/music.h"
#include "platform/sound_effects.h"
#include "presentation/renderer.h"
#include "presentation/screen_parts.h"
#include "world/world_state.h"

namespace {

constexpr int16_t kRowStages = 320;
constexpr int16_t kRowExit = 380;
constexpr int16_t kRowTitleDemo = 350;  // the title menu's "DEMO" row
constexpr int16_t kExitCursorX = 80;
constexpr int kShownStages = 7;

int16_t StageCursorX() { return int16_t(40 * selectedStage - 12); }

[[noreturn]] void PlayFromSelectedStage() {
  PrepareGameStart(selectedStage);
  fullRunFlag = stageNo == 1 ? 1 : 0;
  EnterGame();
}

void DrawSelection() {
  DrawBackground();
  DrawMedals();
  DrawMenuCursor();
  DrawTitleLogo();
  for (int n = 1; n <= kShownStages; ++n) {
    const int colour = (n > 1 && n > unlockedStage) ? 7 : 15;
    PrintText(40.0 * n, 330, 19, colour, std::to_string(n));
  }
  PrintText(120, 390, 19, 15, "EXIT");
  DrawPresents();
  ShowFrameRate();
}

}  // namespace

void SelectionScreen() {
  inputLatch = -1;
  cursorY = kRowExit;
  // The chosen stage always lies in 1..unlockedStage; a record that shrank
  // since the last visit must not leave it outside.
  if (selectedStage < 1 || (unlockedStage >= 1 && selectedStage > unlockedStage)) selectedStage = 1;

  for (;;) {
    frameStartMs = ClockMs();
    ReadInput();

    if (inputLatch == 0 && ConfirmPressed()) {
      if (cursorY == kRowExit || cursorY == kRowStages) RaiseSoundEffect(SoundEffect::MenuConfirm);
      if (cursorY == kRowExit) {
        inputLatch = -1;
        cursorY = kRowTitleDemo;
        gameMode = kModeTitleMenu;
        return;
      }
      if (cursorY == kRowStages) StartDemo();
    }
    if (cursorY == kRowStages && inputLatch == 0 && KeyPressed(kVkP)) {
      RaiseSoundEffect(SoundEffect::MenuConfirm);
      PlayFromSelectedStage();
    }
    if (inputLatch == 0 && (inputY != 0 || KeyPressed(kVkNum8) || KeyPressed(kVkNum2))) {
      inputLatch = -1;
      RaiseSoundEffect(SoundEffect::MenuMove);
      if (cursorY == kRowExit) {
        cursorY = kRowStages;
        cursorX = StageCursorX();
      } else {
        cursorY = kRowExit;
        cursorX = kExitCursorX;
      }
    }
    if (cursorY == kRowStages && inputLatch == 0 && (inputX == -1 || KeyPressed(kVkNum4))) {
      inputLatch = -1;
      RaiseSoundEffect(SoundEffect::MenuMove);
      selectedStage = selectedStage > 1 ? uint8_t(selectedStage - 1) : unlockedStage;
      cursorX = StageCursorX();
    }
    if (cursorY == kRowStages && inputLatch == 0 && (inputX == 1 || KeyPressed(kVkNum6))) {
      inputLatch = -1;
      RaiseSoundEffect(SoundEffect::MenuMove);
      selectedStage = selectedStage < unlockedStage ? uint8_t(selectedStage + 1) : uint8_t(1);
      cursorX = StageCursorX();
    }

    if (!KeyPressed(kVkP) && !KeyPressed(kVkNum8) && !KeyPressed(kVkNum2) && !KeyPressed(kVkNum4) &&
        !KeyPressed(kVkNum6) && !KeyPressed(kVkCtrl) && !FirePressed() && !BombPressed() && inputX == 0 &&
        inputY == 0) {
      inputLatch = 0;
    }

    StepAnimCounters();
    DrawSelection();
    FinishScreenFrame();
  }
}
