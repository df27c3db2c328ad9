#include "presentation/game_over.h"

#include "app/app_state.h"
#include "app/main_loop.h"
#include "data/name_dialog.h"
#include "data/score_file.h"
#include "frontend/transitions.h"
#include "platform/blit.h"
#include "platform/clock.h"
#include "platform/language.h"
#include "platform/music.h"
#include "platform/surface.h"
#include "presentation/renderer.h"
#include "presentation/screen_parts.h"
#include "presentation/stage_clear.h"
#include "world/world_state.h"

namespace {

constexpr int kPictureHeight = 46;
constexpr int32_t kScreenLengthMs = 18000;

// The rank prompts, first place to fifth.
// clang-format off
constexpr const char* kRankPrompts[kHiScoreEntries] = {
    language::TranslatedLater("ハイスコアです！名前を入力してください（最大６文字)"),
    language::TranslatedLater("二位です！名前を入力してください（最大６文字)"),
    language::TranslatedLater("三位です！名前を入力してください（最大６文字)"),
    language::TranslatedLater("四位です！名前を入力してください（最大６文字)"),
    language::TranslatedLater("五位です！名前を入力してください（最大６文字)"),
};
// clang-format on

// One frame of the screen. `reveal` is the number of picture rows shown,
// rising out of the line y = 256; negative before the reveal has begun.
void DrawGameOverFrame(int reveal) {
  DrawBackground();
  if (reveal >= 0)
    DrawMasked(imgchar[kGameOverSheet], 0, kPictureHeight - reveal, 2 * kPictureHeight - reveal, 256, reveal,
               scrmain, 35, 256 - reveal);
  DrawStatusDisplay(StatusView::Emptied);
  DrawStatusTexts();
  ShowFrameRate();
  ReleaseControlLatch();
  RefreshScreen();
}

}  // namespace

void GameOver() {
  DrawGameOverFrame(-1);
  MusicStop();
  MusicClose();
  playerX = 0;  // the reveal counter
  MusicOpen("select.mid");
  MusicPlay();
  MusicStop();
  MusicClose();
  MusicOpen("se12.mid");
  MusicPlay();
  sceneStartMs = ClockMs();
  WaitMs(2300);

  do {
    frameStartMs = ClockMs();
    DrawGameOverFrame(int(playerX));
    if (playerX < kPictureHeight) playerX += 1;
    PumpMessages();
    PaceFrame(kFramePeriodMs);
  } while (playerX < kPictureHeight);

  WaitMs(3500);
  PromptHighScoreName();

  for (;;) {
    frameStartMs = ClockMs();
    DrawGameOverFrame(kPictureHeight);
    if (ElapsedMs(ClockMs(), sceneStartMs) > kScreenLengthMs) break;
    PumpMessages();
    PaceFrame(kFramePeriodMs);
  }
  WaitMs(500);
  WipeToTitle();
}

void WipeToTitle() {
  WipeToBlack();
  MusicStop();
  MusicClose();
  WaitMs(400);
  MusicOpen("opening2.mid");
  MusicPlay();
  OpenOnTitle();
  WaitMs(10);
}

void PromptHighScoreName() {
  if (!(score > hiScores[kHiScoreEntries - 1])) return;
  int rank = kHiScoreEntries - 1;
  for (int p = 0; p < kHiScoreEntries - 1; ++p) {
    if (score > hiScores[p]) {
      rank = p;
      break;
    }
  }
  ShowNameDialog(kRankPrompts[rank]);
}
