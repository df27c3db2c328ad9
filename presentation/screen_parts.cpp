#include "presentation/screen_parts.h"

#include "app/app_state.h"
#include "platform/blit.h"
#include "platform/surface.h"
#include "presentation/renderer.h"
#include "world/world_state.h"

namespace {

constexpr int kWhite = 15;
// A source x beyond every sheet: the blit draws nothing.
constexpr double kOffSheet = 1000.0;

// The additive overlay over the ship; row 65 lies off the sheet.
void DrawShipOverlay(double spriteRow) {
  DrawMasked(imgchar[kShipOverlaySheet], 45.0 * playerBank, spriteRow, 65, 45, 65, scrmain, playerX, playerY);
}

// The charge in the gauge; at full charge the ship's overlay blinks with it.
void DrawChargeGauge() {
  const double g = chargeLevel;
  if (g > 12.0 && g < 103.0) {
    DrawMasked(imgchar[kGaugeSheet], 205.0 - g, 0, 19, 96, 13, scrmain, 97, 435);
  } else if (g >= 103.0 && g < 206.0) {
    DrawMasked(imgchar[kGaugeSheet], 102, 0, 19, 96, 13, scrmain, 97, 435);
    DrawMasked(imgchar[kGaugeSheet], 205.0 - double(chargeGauge), 38, 57, 96, 13, scrmain, 97, 435);
  } else if (g >= 206.0) {
    DrawShipOverlay(65.0 * blinkPhase);
    DrawMasked(imgchar[kGaugeSheet], 102, 38.0 * blinkPhase, 19, 96, 13, scrmain, 97, 435);
  }
}

}  // namespace

void DrawBackground() {
  ClearSurface(scrmain);
  BlitCopy(scrback, 0, -double(scrollPos), 330, 460, scrmain, 0, 0);
}

void DrawPlayerShip(bool blinking, double poseX) {
  const double blink = blinking ? kOffSheet * (invulnTimer % 2) : 0.0;
  DrawMasked(imgchar[kShipSheet], blink + 45.0 * playerBank + poseX, 0, 65, 45, 65, scrmain, playerX, playerY);
}

void DrawShipOrDeathGlow() {
  if (gameMode == kModePlay || gameMode == kModeContinueAccepted) {
    DrawPlayerShip(true);
  } else {
    const double size = deathFade;
    StretchOr(imgchar[kRoundGlowSheet], 0, 0, size, size, scrmain, double(playerX) + 22.0 - size / 2.0,
              double(playerY) + 31.0 - size / 2.0, 40, 40);
  }
}

void DrawStatusDisplay(StatusView view) {
  const bool play = view == StatusView::Play;
  DrawMasked(imgchar[kGaugeSheet], 0, 0, 19, 102, 19, scrmain, 94, 432);
  if (play) {
    DrawChargeGauge();
    if (bombPhase == kBombRing) DrawShipOverlay(0);
  }
  static constexpr double kBombIconX[3] = {285, 245, 205};
  for (int n = 0; n < 3; ++n) {
    if (bombs >= n + 1)
      DrawMasked(imgchar[kItemSheet], 40.0 * animTick8, 0, 40, 40, 40, scrmain, kBombIconX[n], 415);
  }
  static constexpr double kShieldSlotX[3] = {10, 35, 60};
  for (double x : kShieldSlotX) DrawMasked(imgchar[kSmallCellSheet], 0, 0, 20, 20, 20, scrmain, x, 431);
  if (play && enemyState[0] == kEnemyBossDestroyed && battlePhase == kBattleBoss)
    DrawShipOverlay(65.0 * blinkPhase);
  if (view == StatusView::Emptied) return;
  for (int n = 0; n < 3; ++n) {
    const float half = float(n) + 0.5f, full = float(n + 1);
    if (shield == half) {
      DrawMasked(imgchar[kSmallCellSheet], 20, 0, 20, 10, 20, scrmain, kShieldSlotX[n], 431);
    } else if (shield >= full) {
      DrawMasked(imgchar[kSmallCellSheet], 20, 0, 20, 20, 20, scrmain, kShieldSlotX[n], 431);
    }
  }
}

void DrawStatusTexts() {
  PrintText(21, 417, 10, kWhite, "SHIELD");
  PrintText(125, 5, 15, kWhite, FormatScore(score));
}
