#include "presentation/renderer.h"

#include <cmath>
#include <cstdio>

#include "app/app_state.h"
#include "enemies/shot_drawing.h"
#include "platform/blit.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "platform/keys.h"
#include "platform/surface.h"
#include "presentation/screen_parts.h"
#include "presentation/white_flash.h"
#include "world/effects.h"
#include "world/shots.h"
#include "world/world_state.h"

namespace {

Surface& Sheet(int i) { return imgchar[i]; }

// Additive glow of `sheet` (0, 0, 40, 40) stretched to w x h around a centre.
void GlowAround(int sheet, double cx, double cy, double w, double h) {
  StretchOr(Sheet(sheet), 0, 0, w, h, scrmain, cx - w / 2.0, cy - h / 2.0, 40, 40);
}

// Turret heads by enemy kind: which sheet, cell size, and where the heads sit
// (in units of the enemy's scale). Kinds 9 and above have none.
struct TurretLook {
  int sheet;  // 0 = no turret
  int cellW, cellH;
  int heads;
  double x1, y1, x2, y2;
};
// clang-format off
constexpr TurretLook kTurretLooks[9] = {
    /* 0 */ {kSmallTurretSheet,  7, 6, 2, 11, 17, 25, 17},
    /* 1 */ {kSmallTurretSheet,  7, 6, 2, 11, 18, 25, 18},
    /* 2 */ {kSmallTurretSheet,  7, 6, 2, 11, 17, 25, 17},
    /* 3 */ {kSmallTurretSheet,  7, 6, 2, 11, 18, 25, 18},
    /* 4 */ {kLargeTurretSheet, 12, 9, 1, 14, 19,  0,  0},
    /* 5 */ {kLargeTurretSheet, 12, 9, 1, 14, 19,  0,  0},
    /* 6 */ {kSmallTurretSheet,  7, 6, 2, 11, 17, 25, 17},
    /* 7 */ {kSmallTurretSheet,  7, 6, 2, 11, 18, 25, 18},
    /* 8 */ {kLargeTurretSheet, 12, 9, 1, 14, 19,  0,  0},
};
// clang-format on
static_assert(sizeof(kTurretLooks) / sizeof(kTurretLooks[0]) == 9, "kinds 0..8 have turret heads");

void DrawItems() {
  for (loopSlot = 0; loopSlot < kItemSlots; ++loopSlot) {
    const int k = loopSlot;
    if (itemState[k] == kItemFalling)
      DrawMasked(Sheet(kItemSheet), 40.0 * animTick8, k == 0 ? 0 : 80, 40, 40, 40, scrmain, itemX[k], itemY[k]);
  }
  for (loopSlot = 0; loopSlot < kItemSlots; ++loopSlot) {
    const int k = loopSlot;
    if (itemState[k] > kItemFalling) GlowAround(kEnemySheet, popupX[k], popupY[k], popupTimer[k], popupTimer[k]);
  }
}

void DrawEnemies() {
  for (loopSlot = 0; loopSlot < kEnemySlots; ++loopSlot) {
    const int k = loopSlot;
    const double s = enemyScale[k], ex = enemyX[k], ey = enemyY[k];
    if (enemyState[k] == kEnemyAlive || enemyState[k] == kEnemyBossDestroyed) {
      const double srcX = 40.0 * blinkA + 40.0 + 80.0 * enemyKind[k];
      StretchMasked(Sheet(kEnemySheet), srcX, 0, 40, 40.0 * s, 40.0 * s, scrmain, ex, ey, 40, 40);
      if (enemyKind[k] < 9) {
        const TurretLook& t = kTurretLooks[enemyKind[k]];
        const double cellX = double(t.cellW) * enemyAim[k];
        const double w = t.cellW * s, h = t.cellH * s;
        StretchMasked(Sheet(t.sheet), cellX, 0, t.cellH, w, h, scrmain, ex + t.x1 * s, ey + t.y1 * s, t.cellW,
                      t.cellH);
        if (t.heads == 2)
          StretchMasked(Sheet(t.sheet), cellX, 0, t.cellH, w, h, scrmain, ex + t.x2 * s, ey + t.y2 * s, t.cellW,
                        t.cellH);
      }
    }
    if (enemyState[k] >= kEnemyBlastGrowing) {
      GlowAround(kEnemySheet, blastCX[k], blastCY[k], blastSize[k], blastSize[k]);
    }
  }
}

void DrawCapsule() {
  if (bonusState == 1)
    DrawMasked(Sheet(kCapsuleSheet), 32.0 * std::floor(bonusFrame / 3.0), 0, 32, 32, 32, scrmain, bonusX, bonusY);
}

void DrawShip() {
  DrawShipOrDeathGlow();
  if (shotCooldown > 0) {
    StretchOr(Sheet(kRoundGlowSheet), 0, 0, shotCooldown, chargeFlash, scrmain,
              double(playerX) + 21.0 - shotCooldown / 2.0, double(playerY) - 5.0, 40, 40);
  }
}

void DrawSparks() {
  for (loopSlot = 0; loopSlot < kShotSlots; ++loopSlot) {
    const int k = loopSlot;
    GlowAround(kRoundGlowSheet, double(sparkX[k]) + 21.0, double(sparkY[k]) + 10.0, sparkTimer[k], sparkTimer[k]);
  }
}

void DrawBullets() {
  for (loopSlot = 0; loopSlot < kBulletSlots; ++loopSlot) {
    const int k = loopSlot;
    double srcX;
    switch (bulletKind[k]) {
      case kBulletSmall: srcX = 40.0 * blinkA + 40.0; break;
      case kBulletLarge: srcX = 40.0 * blinkB + 60.0; break;
      case kBulletBouncing: srcX = 20.0 * blinkA + 120.0; break;
      default: continue;
    }
    DrawMasked(Sheet(kSmallCellSheet), srcX, 0, 20, 20, 20, scrmain, bulletX[k], bulletY[k]);
  }
}

void DrawBombEffects() {
  if (bombPhase == kBombRing) {
    GlowAround(kRoundGlowSheet, double(bombX) + 21.0, bombY, bombRadius, bombRadius2);
  } else if (bombPhase >= kBombFlash) {
    if (bombPhase == kBombFlash || enemyState[0] == kEndingFlash || enemyState[0] == kEndingLightOpening)
      DrawWhiteFlash(Sheet(kFlashSheet));
    for (loopSlot = 0; loopSlot < kBandSlots; ++loopSlot) {
      const int i = loopSlot;
      if (bandSize[i] >= 0.0f) GlowAround(kRoundGlowSheet, blastX[i], blastY[i], bandSize[i], bandSize[i]);
    }
  }
}

void DrawTexts() {
  DrawStatusTexts();
  if (gameMode == kModeDemo && frameTick > 17) PrintText(100, 180, 21, 15, "DEMO MODE");
  if (bannerTimer != 0) DrawStageBanner();
  DrawComboTexts();
  ShowFrameRate();
}

// The destroyed boss's light, grown by the stage flow over the field.
void DrawBossLight() {
  if (enemyState[0] != kEndingLightOpening && enemyState[0] != kEnemyBossDestroyed) return;
  const double s = enemyScale[0], x0 = enemyX[0], y0 = enemyY[0];
  const double w = bossLightW, h = bossLightH;
  const float u = float(2.0 * (19.0 * s + y0));
  const float t = float(2.0 * (19.0 * s + x0));
  double left, top;
  if (u > h && t > w) {
    left = 20.0 * s + x0 - w / 2.0;
    top = 20.0 * s + y0 - h / 2.0;
  } else if (u <= h && t > w) {
    left = 20.0 * s + x0 - w / 2.0;
    top = 0;
  } else if (u <= h && t <= w) {
    left = 0;
    top = 0;
  } else {
    return;  // the stage flow never lets the light be wide before it is tall
  }
  StretchOr(Sheet(kBossLightSheet), 0, 0, w, h, scrmain, left, top, w, h);
}

}  // namespace

std::string FormatScore(float points) {
  // Whole points, halves to even as the platform's number formatting does.
  const double whole = std::nearbyint(double(points));
  if (!std::isfinite(whole)) return "000000";
  char text[64];
  if (whole < 0) {
    std::snprintf(text, sizeof text, "-%06.0f", -whole);
  } else {
    std::snprintf(text, sizeof text, "%06.0f", whole);
  }
  return text;
}

void RenderFrame() {
  DrawBackground();
  DrawItems();
  DrawPlayerShots();
  DrawEnemies();
  DrawCapsule();
  DrawShip();
  DrawSparks();
  DrawBullets();
  DrawStatusDisplay(StatusView::Play);
  DrawBombEffects();
  DrawTexts();
  DrawBossLight();
  RefreshScreen();
}

void ShowFrameRate() {
  const int32_t now = ClockMs();
  if (ElapsedMs(now, frameCountStart) <= 1000) {
    ++frameCount;
  } else {
    frameCountStart = now;
    framesLastSecond = frameCount;
    frameCount = 1;
  }
  if (showFrameRate == -1) PrintText(290, 400, 15, 15, std::to_string(framesLastSecond));
  if (inputLatch == 0 && KeyPressed(kVkCtrl)) {
    inputLatch = -1;
    showFrameRate = int16_t(~showFrameRate);
  }
}
