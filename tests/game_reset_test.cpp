#include "presentation/game_reset.h"

#include <gtest/gtest.h>

#include "app/app_state.h"
#include "tests/support/game_fixture.h"
#include "world/world_state.h"

namespace {

using GameResetTest = GameTest;

// The state a lost game leaves behind: bullets in flight, enemies exploding,
// a bomb going off, an item falling, sparks, and the previous game's settings.
void LeaveAGameBehind() {
  for (int i = 0; i < kBulletSlots; ++i) {
    bulletKind[i] = 3;
    bulletVX[i] = 2;
    bulletVY[i] = -1;
    bulletBounces[i] = 4;
  }
  for (int i = 0; i < kEnemySlots; ++i) {
    enemyState[i] = 2;
    enemyKind[i] = 7;
    enemyHp[i] = 12;
    enemyStep[i] = 3;
    enemyScale[i] = 1;
    enemyCarrier[i] = 1;
    enemyX[i] = 100;
    blastCX[i] = 5;
    blastCY[i] = 6;
    blastSize[i] = 30;
  }
  for (int i = 0; i < kShotSlots; ++i) {
    shotKind[i] = 2;
    sparkTimer[i] = 5;
    shotComboCount[i] = 3;
    shotComboTimer[i] = 9;
  }
  itemState[0] = itemState[1] = 1;
  bombPhase = 2;
  bombRadius = 80;
  bombRadius2 = 40;
  bombComboCount = 3;
  bombComboTimer = 11;
  bossLightW = bossLightH = 200;
  bonusState = 3;
  hardMode = revengeFire = easyMode = 1;
  score = 123456;
  shield = 0;
  bombs = 0;
  deathFade = 120;
  invulnTimer = 9;
  chargeLevel = 150;
  chargeGauge = 40;
  gameMode = 3;
  stageNo = 5;
  wave = 77;
  battlePhase = 2;
  sequenceTimer = 33;
  bannerTimer = 10;
  nextBulletSlot = 40;
  nextShotSlot = 7;
  fireLatch = 0;
}

TEST_F(GameResetTest, LeavesNoObjectAliveAndTheSettingsOff) {
  LeaveAGameBehind();
  ResetGame();

  for (int i = 0; i < kBulletSlots; ++i) {
    ASSERT_EQ(bulletKind[i], 0) << i;
    ASSERT_EQ(bulletVX[i], 0.0f);
    ASSERT_EQ(bulletBounces[i], 0);
  }
  for (int i = 0; i < kEnemySlots; ++i) {
    ASSERT_EQ(enemyState[i], 0) << i;
    ASSERT_EQ(enemyKind[i], 0);
    ASSERT_EQ(enemyHp[i], 0.0f);
    ASSERT_EQ(enemyCarrier[i], 0);
    ASSERT_EQ(blastSize[i], 0.0f);
    ASSERT_EQ(enemyX[i], 1000.0f);  // off the play field
  }
  for (int i = 0; i < kShotSlots; ++i) {
    ASSERT_EQ(shotKind[i], 0) << i;
    ASSERT_EQ(sparkTimer[i], 0);
    ASSERT_EQ(shotComboCount[i], 0);
    ASSERT_EQ(shotComboTimer[i], 0);
  }
  EXPECT_EQ(itemState[0] | itemState[1], 0);
  EXPECT_EQ(bombPhase, 0);
  EXPECT_EQ(bombRadius, 0);
  EXPECT_EQ(bombRadius2, 0);
  EXPECT_EQ(bombComboTimer, 0);
  EXPECT_EQ(bossLightW | bossLightH, 0);
  EXPECT_EQ(bonusState, 0);

  EXPECT_EQ(hardMode, 0);
  EXPECT_EQ(revengeFire, 0);
  EXPECT_EQ(easyMode, 0);

  EXPECT_EQ(score, 0.0f);
  EXPECT_EQ(shield, 3.0f);
  EXPECT_EQ(bombs, 2);
  EXPECT_EQ(deathFade, 0);
  EXPECT_EQ(fireLatch, -1);
  EXPECT_EQ(gameMode, 0);
  EXPECT_EQ(stageNo, 0);
  EXPECT_EQ(scrollPos, -1720.0f);
  EXPECT_EQ(wave, 0);
  EXPECT_EQ(battlePhase, 0);
  EXPECT_EQ(sequenceTimer, 0);
  EXPECT_EQ(bannerX, 500);
  EXPECT_EQ(bannerTimer, 0);
  EXPECT_EQ(nextBulletSlot, 0);
  EXPECT_EQ(nextShotSlot, 0);

  const int16_t expectedBlasts[kBandSlots][2] = {{30, 70},  {240, 350}, {310, 260}, {20, 320},
                                                 {270, 40}, {160, 90},  {150, 420}, {100, 200}};
  for (int i = 0; i < kBandSlots; ++i) {
    EXPECT_EQ(blastX[i], expectedBlasts[i][0]) << i;
    EXPECT_EQ(blastY[i], expectedBlasts[i][1]) << i;
  }
}

}  // namespace
