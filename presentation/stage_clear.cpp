#include "presentation/stage_clear.h"

#include "app/app_state.h"
#include "app/main_loop.h"
#include "app/next_stage.h"
#include "enemies/stage_flow.h"
#include "frontend/transitions.h"
#include "platform/blit.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "platform/keys.h"
#include "platform/music.h"
#include "platform/sound_effects.h"
#include "platform/surface.h"
#include "presentation/renderer.h"
#include "presentation/screen_parts.h"
#include "world/effects.h"
#include "world/shots.h"
#include "world/world_state.h"

namespace {

constexpr int kWhite = 15;

void DrawCaptionFrame() {
  DrawBackground();
  DrawShipOrDeathGlow();
  DrawStatusDisplay(StatusView::Resting);
  DrawStatusTexts();
  PrintText(bannerX, 220, 21, kWhite, "STAGE CLEAR!!");
}

}  // namespace

void ReleaseControlLatch() {
  if (!KeyPressed(kVkCtrl)) inputLatch = 0;
}

void RunCaptionPhase(int16_t leaveX) {
  RaiseSoundEffect(SoundEffect::StageClear);
  battlePhase = kBattleStageEnd;
  enemyState[0] = kEnemyFree;
  sequenceTimer = 0;
  RenderFrame();
  for (;;) {
    frameStartMs = ClockMs();
    ++sequenceTimer;
    if (sequenceTimer < 32) bannerX = int16_t(bannerX + 10);
    if (sequenceTimer > 65) bannerX = int16_t(bannerX + 10);
    if (bannerX > leaveX) return;
    DrawCaptionFrame();
    UpdateEffects();
    ShowFrameRate();
    ReleaseControlLatch();
    RefreshScreen();
    PumpMessages();
    PaceFrame(kFramePeriodMs);
  }
}

void StageClear() {
  playerBank = 0;
  bossLightW = 0;
  bossLightH = 0;
  bannerX = -233;
  WaitMs(1800);
  RunCaptionPhase(400);

  // The ship flies off the top of the screen.
  for (;;) {
    frameStartMs = ClockMs();
    if (playerY < -200) break;
    playerY -= 20;
    MoveShots();
    UpdateEffects();
    RenderFrame();
    PumpMessages();
    PaceFrame(kFramePeriodMs);
  }

  battlePhase = kBattleWaves;
  WipeToBlack();
  MusicStop();
  MusicClose();
  BeginNextStage();
  OpenStageMusic();
  MusicPlay();
  FlushInput();
  OpenOnStage();
}
