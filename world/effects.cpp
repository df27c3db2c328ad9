#include "world/effects.h"

#include "app/app_state.h"
#include "platform/blit.h"
#include "platform/input.h"
#include "presentation/continue_screen.h"
#include "world/shots.h"
#include "world/trig.h"
#include "world/world_state.h"

namespace {

// Counts up by one and starts again at 0 after `last`.
uint8_t Cycle(uint8_t value, uint8_t last) { return value >= last ? 0 : uint8_t(value + 1); }

void MoveCapsule() {
  const bool moving = bonusState == 1 || bonusState == 3;
  if (bonusState == 1) {
    bonusY += 2.0f;
    if (bonusY > 460.0f) bonusState = 2;
  } else if (bonusState == 3) {
    // Circling over the boss's place, driven by the boss slot's timer.
    enemyTimer[0] = enemyTimer[0] > 30000 ? 0 : int16_t(enemyTimer[0] + 1);
    const double a = enemyTimer[0] * 0.05 + 1.0 / 1.45;
    bonusX = float(53.0 * trig::Sin(a) + 157.0);
    bonusY = float(53.0 * trig::Cos(a) + 61.0);
  }
  if (moving) bonusFrame = Cycle(bonusFrame, 23);
}

// Which way the player's centre lies from a square (edges a and b) on the enemy.
void AimTurrets() {
  const double px = double(playerX) + 22.0, py = double(playerY) + 33.0;
  for (int e = 0; e < kEnemySlots; ++e) {
    if (enemyState[e] != kEnemyAlive) continue;
    const uint8_t kind = enemyKind[e];
    const double s = enemyScale[e], ex = enemyX[e], ey = enemyY[e];
    double a, b;
    if (kind == 4 || kind == 5 || kind == 8) {
      a = 13.0 * s;
      b = 30.0 * s;
    } else if (kind <= 8) {
      a = 3.0 * s;
      b = 40.0 * s;
    } else {
      continue;
    }
    uint8_t aim;
    if (px > ex + b) {
      aim = py > ey + b ? 0 : py < ey + a ? 2 : 6;
    } else if (px < ex + a) {
      aim = py > ey + b ? 1 : py < ey + a ? 3 : 7;
    } else {
      aim = py >= ey + 20.0 * s ? 4 : 5;
    }
    enemyAim[e] = aim;
  }
}

void AdvanceBandFlash() {
  ClearBullets();
  for (int k = 0; k < kBandSlots; ++k) {
    if (bandPhase[k] == 0) {
      bandSize[k] += 28.0f;
      if (bandSize[k] == 196.0f) bandPhase[k] = 1;
    } else if (bandPhase[k] == 1) {
      bandSize[k] -= 28.0f;
      if (bandSize[k] == 0.0f) bandPhase[k] = 2;
    }
    if (k == 5 && bandPhase[5] == 2 && battlePhase == kBattleWaves) battlePhase = kBattleWavesFlashEnds;
    if (k == 7 && bandPhase[7] == 2) {
      ResetBands();
      bombPhase = kBombNone;
      if (gameMode == kModeContinueAccepted) {
        gameMode = kModePlay;
        bombComboTimer = -1;
      }
      break;
    }
  }
}

void AdvanceBomb() {
  switch (bombPhase) {
    case kBombRing:
      if (bombRadius >= 0 && bombRadius <= 197) {
        bombRadius = int16_t(bombRadius + 11);
        bombRadius2 = int16_t(bombRadius2 + 11);
      } else {
        bombPhase = kBombFlash;
        bombRadius = 0;
        bombRadius2 = 0;
        ResetBands();
      }
      break;
    case kBombFlash: AdvanceBandFlash(); break;
    case kBombBossDestruction:
      // The boss's blast points flare one after the other, over and over.
      for (int k = 0; k < kBandSlots; ++k) {
        if (bandPhase[k] != 0) continue;
        bandSize[k] += 15.0f;
        if (bandSize[k] == 105.0f) bandSize[k] = -105.0f;
      }
      break;
    default: break;
  }
}

void AdvanceExplosions() {
  for (int e = 0; e < kEnemySlots; ++e) {
    const float s = enemyScale[e];
    if (enemyState[e] == kEnemyBlastGrowing) {
      if (60.0f * s > blastSize[e]) {
        blastSize[e] += 15.0f * s;
      } else {
        enemyState[e] = kEnemyBlastShrinking;
      }
    }
    if (enemyState[e] == kEnemyBlastShrinking) {
      if (blastSize[e] > 0.0f) {
        blastSize[e] -= 15.0f * s;
      } else {
        enemyState[e] = kEnemyFree;
      }
    }
  }
}

void AdvanceItemPops() {
  for (int k = 0; k < kItemSlots; ++k) {
    if (itemState[k] == kItemPopping) {
      popupY[k] = int16_t(popupY[k] + 2);
      popupTimer[k] = int16_t(popupTimer[k] + 15);
      if (popupTimer[k] > 89) itemState[k] = kItemPopShrinking;
    }
    if (itemState[k] == kItemPopShrinking) {
      popupY[k] = int16_t(popupY[k] + 2);
      if (popupTimer[k] > 0) {
        popupTimer[k] = int16_t(popupTimer[k] - 15);
      } else {
        itemState[k] = kItemNone;
      }
    }
  }
}

void AdvanceDeathSequence() {
  if (gameMode == kModeDeathFadeOut) {
    deathFade = uint8_t(deathFade + 20);
    if (deathFade == 180) gameMode = kModeDeathFadeBack;
  } else if (gameMode == kModeDeathFadeBack) {
    deathFade = uint8_t(deathFade - 20);
    if (deathFade == 0) {
      gameMode = kModeLeaveForTitle;
      ContinuePrompt();
    }
  }
}

}  // namespace

void UpdateEffects() {
  if (gameMode == kModeDemo && (FirePressed() || BombPressed()) && inputLatch == 0) gameMode = kModeLeaveDemo;

  frameTick = Cycle(frameTick, 35);
  MoveCapsule();
  animDiv5 = Cycle(animDiv5, 4);
  if (animDiv5 == 0) animTick8 = Cycle(animTick8, 7);
  if (frameTick % 3 == 0) blinkB ^= 1;
  if (frameTick % 4 == 0) {
    playerBank ^= 1;  // the two pictures of the pair take turns
    blinkA ^= 1;
    animPhase3 = Cycle(animPhase3, 2);
  }
  AimTurrets();
  blinkPhase ^= 1;

  if (scrollPos < 0.0f) scrollPos += 1.0f;
  if (shotCooldown > 0) {
    shotCooldown = int16_t(shotCooldown - 10);
    chargeFlash = int16_t(chargeFlash - 10);
  }
  for (int k = 0; k < kShotSlots; ++k)
    if (sparkTimer[k] > 0) sparkTimer[k] = int16_t(sparkTimer[k] - 8);

  AdvanceBomb();
  AdvanceExplosions();
  AdvanceItemPops();

  if (invulnTimer >= 1 && invulnTimer <= 39) {
    ++invulnTimer;
  } else if (invulnTimer == 40) {
    invulnTimer = 0;
  }

  AdvanceDeathSequence();
}

void ResetBands() {
  for (int k = 0; k < kBandSlots; ++k) {
    bandSize[k] = -56.0f * float(k);
    bandPhase[k] = 0;
  }
  if (battlePhase == kBattleBossInFlash) {
    battlePhase = kBattleBoss;
  } else if (battlePhase == kBattleWavesFlashEnds) {
    battlePhase = kBattleWaves;
  }
  fireLatch = -1;
}

void DrawStageBanner() {
  PrintText(bannerX, 220, 21, 15, "STAGE" + WithLeadingBlank(stageNo));
  if (bannerTimer >= 1 && bannerTimer <= 29) bannerX = int16_t(bannerX + 10);
  --bannerTimer;
}
