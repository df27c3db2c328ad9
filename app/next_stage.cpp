#include "app/next_stage.h"

#include "app/app_state.h"
#include "data/score_file.h"
#include "enemies/stage_flow.h"
#include "world/effects.h"
#include "world/world_state.h"

namespace {

struct BlastPoint {
  int16_t x, y;
};
// clang-format off
constexpr BlastPoint kBlastPoints[kBandSlots] = {
    { 30,  70}, {240, 350}, {310, 260}, { 20, 320},
    {270,  40}, {160,  90}, {150, 420}, {100, 200},
};
// clang-format on

}  // namespace

void BeginNextStage() {
  sequenceTimer = 0;
  for (int k = 0; k < kShotSlots; ++k) {
    shotKind[k] = 0;
    sparkTimer[k] = 0;
    shotComboCount[k] = 0;
    shotComboTimer[k] = 0;
  }
  for (int k = 0; k < kItemSlots; ++k) itemState[k] = 0;

  fireLatch = -1;
  nextShotSlot = 0;
  chargeLevel = 0;
  chargeGauge = 0;
  blinkPhase = 0;
  shotCooldown = 0;
  chargeFlash = 0;
  playerBank = 0;
  deathFade = 0;
  bombPhase = 0;
  bombComboCount = 0;
  bombComboTimer = 0;
  invulnTimer = 0;
  bombRadius = 0;
  bombRadius2 = 0;

  for (int k = 0; k < kBandSlots; ++k) {
    blastX[k] = kBlastPoints[k].x;
    blastY[k] = kBlastPoints[k].y;
  }
  battlePhase = 0;
  ResetBands();

  for (int k = 0; k < kEnemySlots; ++k) {
    blastCX[k] = 0;
    blastCY[k] = 0;
    blastSize[k] = 0;
    enemyX[k] = 1000;  // parked off the play field
    enemyState[k] = 0;
    enemyHp[k] = 0;
    enemyStep[k] = 0;
    enemyKind[k] = 0;
    enemyScale[k] = 0;
    enemyCarrier[k] = 0;
  }
  for (int k = 0; k < kBulletSlots; ++k) {
    bulletKind[k] = 0;
    bulletVX[k] = 0;
    bulletVY[k] = 0;
    bulletBounces[k] = 0;
  }
  nextBulletSlot = 0;
  bossLightW = 0;
  bossLightH = 0;

  playerX = 150;
  playerY = 350;
  playerBank = 0;
  bannerTimer = 82;
  bannerX = 117;

  stageNo = uint8_t(stageNo + 1);
  BuildStageBackground();
  if (stageNo <= 7 && unlockedStage < stageNo) {
    unlockedStage = stageNo;
    SaveScoreFile();
  }
  bonusState = 0;
  if (easyMode == 1) {
    shield = shield + 1;
    if (shield > 3) shield = 3;
  }
  wave = stageNo > 1 ? uint8_t(stageNo * 20 - 21) : 0;
}
