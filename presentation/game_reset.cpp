#include "presentation/game_reset.h"

#include "app/app_state.h"
#include "enemies/stage_flow.h"
#include "world/effects.h"
#include "world/world_state.h"

namespace {

struct BlastPoint {
  int16_t x, y;
};
// clang-format off
constexpr BlastPoint kBlastPoints[kBandSlots] = {
    { 30,  70},
    {240, 350},
    {310, 260},
    { 20, 320},
    {270,  40},
    {160,  90},
    {150, 420},
    {100, 200},
};
// clang-format on

}  // namespace

void ResetGame() {
  sequenceTimer = 0;
  hardMode = 0;
  revengeFire = 0;
  easyMode = 0;
  animTick8 = 0;
  animDiv5 = 0;
  stageNo = 0;
  bannerX = 500;
  bannerTimer = 0;

  BuildStageBackground();
  scrollPos = -1720;

  for (int i = 0; i < kShotSlots; ++i) {
    shotKind[i] = 0;
    sparkTimer[i] = 0;
    shotComboCount[i] = 0;
    shotComboTimer[i] = 0;
  }

  for (int i = 0; i < kItemSlots; ++i) itemState[i] = 0;

  fireLatch = -1;
  nextShotSlot = 0;
  chargeLevel = 0;
  chargeGauge = 0;
  blinkPhase = 0;
  score = 0;
  shield = 3;
  gameMode = 0;
  shotCooldown = 0;
  chargeFlash = 0;
  playerBank = 0;
  deathFade = 0;
  bombs = 2;
  bombPhase = 0;
  bombComboCount = 0;
  bombComboTimer = 0;
  invulnTimer = 0;
  bombRadius = 0;
  bombRadius2 = 0;

  for (int i = 0; i < kBandSlots; ++i) {
    blastX[i] = kBlastPoints[i].x;
    blastY[i] = kBlastPoints[i].y;
  }

  battlePhase = 0;
  ResetBands();
  wave = 0;

  for (int i = 0; i < kEnemySlots; ++i) {
    blastCX[i] = 0;
    blastCY[i] = 0;
    blastSize[i] = 0;
    enemyX[i] = 1000;
    enemyState[i] = 0;
    enemyHp[i] = 0;
    enemyStep[i] = 0;
    enemyKind[i] = 0;
    enemyScale[i] = 0;
    enemyCarrier[i] = 0;
  }

  for (int i = 0; i < kBulletSlots; ++i) {
    bulletKind[i] = 0;
    bulletVX[i] = 0;
    bulletVY[i] = 0;
    bulletBounces[i] = 0;
  }

  bossLightW = 0;
  bossLightH = 0;
  bonusState = 0;
  nextBulletSlot = 0;
}
