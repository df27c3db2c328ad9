#include "frontend/high_scores.h"

#include <cmath>
#include <cstdio>

#include "app/app_state.h"
#include "app/main_loop.h"
#include "data/score_file.h"
#include "enemies/stage_flow.h"
#include "frontend/replay_list.h"
#include "frontend/title.h"
#include "frontend/transitions.h"
#include "platform/blit.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "platform/keys.h"
#include "platform/language.h"
#include "platform/music.h"
#include "platform/sound_effects.h"
#include "presentation/renderer.h"
#include "presentation/screen_parts.h"
#include "world/world_state.h"

namespace {

constexpr int16_t kRowExit = 380;
constexpr int16_t kRowTitleHiScore = 320;  // the title menu's "HISCORE" row

[[noreturn]] void StartHardestGame() {
  PrepareGameStart(1);
  hardMode = 1;
  revengeFire = 1;
  easyMode = 0;
  fullRunFlag = 1;
  EnterGame();
}

void DrawHighScores() {
  DrawBackground();
  DrawMenuCursor();
  DrawTitleLogo();
  DrawMedals();
  for (int i = 0; i < kHiScoreEntries; ++i) PrintText(29, 180 + 35 * i, 19, 15, std::to_string(i + 1));
  for (int i = 0; i < kHiScoreEntries; ++i) PrintText(59, 179 + 35 * i, 18, 15, hiNames[i]);
  for (int i = 0; i < kHiScoreEntries; ++i) PrintText(220, 180 + 35 * i, 19, 15, FormatScore(hiScores[i]));
  PrintText(120, 390, 19, 15, "EXIT");
  if (IsReplayListOffered()) PrintText(200, 395, 13, 7, language::Translate("R: REPLAYS"));
  DrawPresents();
  ShowFrameRate();
}

}  // namespace

void HighScoreScreen() {
  inputLatch = -1;
  cursorY = kRowExit;
  for (;;) {
    frameStartMs = ClockMs();
    ReadInput();

    if (inputLatch == 0 && KeyPressed(kVkH)) {
      RaiseSoundEffect(SoundEffect::MenuConfirm);
      StartHardestGame();
    }
    if (inputLatch == 0 && IsReplayListOffered() && KeyPressed(kVkR)) ShowReplayList(true);
    if (inputLatch == 0 && ConfirmPressed()) {
      RaiseSoundEffect(SoundEffect::MenuConfirm);
      inputLatch = -1;
      cursorY = kRowTitleHiScore;
      gameMode = kModeTitleMenu;
      return;
    }
    if (!KeyPressed(kVkH) && !KeyPressed(kVkCtrl) && !FirePressed() && !BombPressed()) inputLatch = 0;

    StepAnimCounters();
    DrawHighScores();
    FinishScreenFrame();
  }
}
