#include "presentation/stage_clear.h"

#include <cstdio>

#include "app/app_state.h"
#include "app/main_loop.h"
#include "app/next_stage.h"
#include "frontend/transitions.h"
#include "platform/blit.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "platform/keys.h"
#include "platform/music.h"
#include "platform/sound_effects.h"
#include "platform/surface.h"
#include "presentation/renderer.h"
#include "world/effects.h"
#include "world/shots.h"
#include "world/world_state.h"

namespace {

constexpr int kWhite = 15;

// The ship as play draws it: blinking while invulnerable, and replaced by its
// death glow when the player has been lost (the boss may fall in the same
// moments as the ship).
void DrawCaptionShip() {
  if (gameMode == 0 || gameMode == 4) {
    DrawMasked(imgchar[0], 1000.0 * (invulnTimer % 2) + 45.0 * playerBank, 0, 65, 45, 65, scrmain, playerX,
               playerY);
  } else {
    StretchOr(imgchar[4], 0, 0, deathFade, deathFade, scrmain, playerX + 22.0 - deathFade / 2.0,
              playerY + 31.0 - deathFade / 2.0, 40, 40);
  }
}

void DrawCaptionFrame() {
  DrawScrolledBackground();
  DrawCaptionShip();
  DrawRestingStatus(true);
  PrintText(bannerX, 220, 21, kWhite, "STAGE CLEAR!!");
}

}  // namespace

void DrawScrolledBackground() {
  ClearSurface(scrmain);
  BlitCopy(scrback, 0, -double(scrollPos), 330, 460, scrmain, 0, 0);
}

void DrawRestingStatus(bool withShieldPoints) {
  DrawMasked(imgchar[3], 0, 0, 19, 102, 19, scrmain, 94, 432);
  const double bombIconX = 40.0 * animTick8;
  if (bombs >= 1) DrawMasked(imgchar[17], bombIconX, 0, 40, 40, 40, scrmain, 285, 415);
  if (bombs >= 2) DrawMasked(imgchar[17], bombIconX, 0, 40, 40, 40, scrmain, 245, 415);
  if (bombs >= 3) DrawMasked(imgchar[17], bombIconX, 0, 40, 40, 40, scrmain, 205, 415);
  for (int slot = 0; slot < 3; ++slot) DrawMasked(imgchar[7], 0, 0, 20, 20, 20, scrmain, 10 + 25 * slot, 431);
  if (withShieldPoints) {
    for (int slot = 0; slot < 3; ++slot) {
      const double x = 10 + 25 * slot;
      if (shield == slot + 0.5f) {
        DrawMasked(imgchar[7], 20, 0, 20, 10, 20, scrmain, x, 431);
      } else if (shield >= slot + 1) {
        DrawMasked(imgchar[7], 20, 0, 20, 20, 20, scrmain, x, 431);
      }
    }
  }
  PrintText(21, 417, 10, kWhite, "SHIELD");
  char text[32];
  std::snprintf(text, sizeof text, "%06.0f", double(score));
  PrintText(125, 5, 15, kWhite, text);
}

void ReleaseControlLatch() {
  if (!KeyPressed(kVkCtrl)) inputLatch = 0;
}

void RunCaptionPhase(int16_t leaveX) {
  RaiseSoundEffect(SoundEffect::StageClear);
  battlePhase = 4;
  enemyState[0] = 0;
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

  battlePhase = 0;
  WipeToBlack();
  MusicStop();
  MusicClose();
  BeginNextStage();
  OpenStageMusic();
  MusicPlay();
  FlushInput();
  OpenOnStage();
}
