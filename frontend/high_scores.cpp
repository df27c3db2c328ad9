#include "frontend/high_scores.h"

#include <cmath>
#include <cstdio>

#include "app/app_state.h"
#include "app/main_loop.h"
#include "app/online_scores.h"
#include "data/score_file.h"
#include "enemies/stage_flow.h"
#include "frontend/replay_list.h"
#include "frontend/title.h"
#include "frontend/transitions.h"
#include "platform/backend.h"
#include "platform/blit.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "platform/keys.h"
#include "platform/language.h"
#include "platform/machine.h"
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

// Online scores are on: B opens the board page.
bool boardOffered = false;

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
  if (boardOffered) PrintText(200, 411, 13, 7, language::Translate("B: BOARD"));
  DrawPresents();
  ShowFrameRate();
}

void RunHighScores(bool listFirst) {
  inputLatch = -1;
  cursorY = kRowExit;
  boardOffered = OnlineScoresOn();
  if (listFirst && IsReplayListOffered()) ShowReplayList(true);
  for (;;) {
    frameStartMs = ClockMs();
    ReadInput();

    if (inputLatch == 0 && KeyPressed(kVkH)) {
      RaiseSoundEffect(SoundEffect::MenuConfirm);
      StartHardestGame();
    }
    if (inputLatch == 0 && IsReplayListOffered() && KeyPressed(kVkR)) ShowReplayList(true);
    // The board page opens in the browser; a playback never opens it.
    if (inputLatch == 0 && boardOffered && KeyPressed(kVkB)) {
      RaiseSoundEffect(SoundEffect::MenuConfirm);
      if (!machine::IsPlayingBack()) platform::OpenInBrowser(BoardPageAddress());
      inputLatch = -1;
    }
    // Escape leaves as "EXIT" does.
    if (inputLatch == 0 && (ConfirmPressed() || KeyPressed(kVkEscape))) {
      RaiseSoundEffect(SoundEffect::MenuConfirm);
      inputLatch = -1;
      cursorY = kRowTitleHiScore;
      gameMode = kModeTitleMenu;
      return;
    }
    if (!KeyPressed(kVkH) && !KeyPressed(kVkCtrl) && !FirePressed() && !BombPressed() &&
        !(boardOffered && KeyPressed(kVkB)))
      inputLatch = 0;

    StepAnimCounters();
    DrawHighScores();
    FinishScreenFrame();
  }
}

}  // namespace

void HighScoreScreen() { RunHighScores(false); }
void HighScoreScreenWithList() { RunHighScores(true); }
