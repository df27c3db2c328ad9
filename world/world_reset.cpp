#include "world/world_reset.h"

#include "world/world_state.h"

namespace {

struct BlastPoint {
  int16_t x, y;
};
// clang-format off
constexpr BlastPoint kStageBlastPoints[kBandSlots] = {
    { 30,  70}, {240, 350}, {310, 260}, { 20, 320},
    {270,  40}, {160,  90}, {150, 420}, {100, 200},
};
// clang-format on

}  // namespace

void ClearShotSlots() {
  for (int k = 0; k < kShotSlots; ++k) {
    shotKind[k] = kShotFree;
    sparkTimer[k] = 0;
    shotComboCount[k] = 0;
    shotComboTimer[k] = 0;
  }
}

void ClearEnemySlots() {
  for (int k = 0; k < kEnemySlots; ++k) {
    blastCX[k] = 0;
    blastCY[k] = 0;
    blastSize[k] = 0;
    enemyX[k] = 1000;  // parked off the play field
    enemyState[k] = kEnemyFree;
    enemyHp[k] = 0;
    enemyStep[k] = 0;
    enemyKind[k] = 0;
    enemyScale[k] = 0;
    enemyCarrier[k] = 0;
  }
}

void ClearBulletSlots() {
  for (int k = 0; k < kBulletSlots; ++k) {
    bulletKind[k] = kBulletFree;
    bulletVX[k] = 0;
    bulletVY[k] = 0;
    bulletBounces[k] = 0;
  }
}

void ResetShipState() {
  fireLatch = -1;
  nextShotSlot = 0;
  chargeLevel = 0;
  chargeGauge = 0;
  blinkPhase = 0;
  shotCooldown = 0;
  chargeFlash = 0;
  playerBank = 0;
  deathFade = 0;
  bombPhase = kBombNone;
  bombComboCount = 0;
  bombComboTimer = 0;
  invulnTimer = 0;
  bombRadius = 0;
  bombRadius2 = 0;
}

void SetStageBlastPoints() {
  for (int k = 0; k < kBandSlots; ++k) {
    blastX[k] = kStageBlastPoints[k].x;
    blastY[k] = kStageBlastPoints[k].y;
  }
}
