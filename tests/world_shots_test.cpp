#include <gtest/gtest.h>

#include "app/app_state.h"
#include "app/main_loop.h"
#include "platform/headless/headless.h"
#include "platform/input.h"
#include "platform/keys.h"
#include "tests/support/game_fixture.h"
#include "world/shots.h"
#include "world/world_state.h"

namespace {

class ShotsTest : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    gameMode = 0;
    scrollPos = -500;
    playerX = 150;
    playerY = 350;
  }
  static void PlaceEnemy(int slot, float x, float y, float hp, float scale = 1, int16_t points = 100) {
    enemyX[slot] = x;
    enemyY[slot] = y;
    enemyHp[slot] = hp;
    enemyScale[slot] = scale;
    enemyState[slot] = 1;
    enemyScore[slot] = points;
  }
  static void PlaceShot(int slot, uint8_t kind, float x, float y) {
    shotKind[slot] = kind;
    shotX[slot] = x;
    shotY[slot] = y;
    shotComboCount[slot] = 0;
  }
};

TEST_F(ShotsTest, ShotsClimbByKindAndAreParkedAboveTheField) {
  const struct {
    uint8_t kind;
    float after;
  } cases[] = {{1, 82}, {2, 80}, {3, 79}, {4, 78}, {0, 100}};
  for (int i = 0; i < 5; ++i) PlaceShot(i, cases[i].kind, 10, 100);
  PlaceShot(5, 4, 10, -79);  // climbs to -101: freed and parked
  MoveShots();
  for (int i = 0; i < 5; ++i) EXPECT_EQ(shotY[i], cases[i].after) << int(cases[i].kind);
  EXPECT_EQ(shotKind[5], 0);
  EXPECT_EQ(shotY[5], 1000.0f);
}

TEST_F(ShotsTest, BoxesMustOverlapOnAllFourSides) {
  // A kind-1 shot at (100, 200) has the box 114..128 by 200..220; a scale-1
  // enemy at (ex, ey) the box ex+4..ex+36 by ey-5..ey+30.
  const struct {
    float ex, ey;
    bool hit;
  } cases[] = {
      {78, 190, false},  {78.5f, 190, true},   // enemy's right edge against the shot's left
      {124, 190, false}, {123.5f, 190, true},  // enemy's left edge against the shot's right
      {100, 170, false}, {100, 170.5f, true},  // enemy's bottom against the shot's top
      {100, 225, false}, {100, 224.5f, true},  // enemy's top against the shot's bottom
  };
  for (const auto& c : cases) {
    SetUp();
    PlaceEnemy(0, c.ex, c.ey, 5);
    PlaceShot(0, 1, 100, 200);
    ResolveShotHits();
    EXPECT_EQ(enemyHp[0] < 5.0f, c.hit) << c.ex << "," << c.ey;
  }
}

TEST_F(ShotsTest, NormalShotHitsOneEnemyAndLeavesASpark) {
  PlaceEnemy(3, 100, 200, 5);
  PlaceEnemy(4, 100, 200, 5);
  PlaceShot(2, 1, 90, 210);
  ResolveShotHits();
  EXPECT_EQ(enemyHp[3], 4.0f);
  EXPECT_EQ(enemyHp[4], 5.0f);  // the shot was gone before slot 4
  EXPECT_EQ(shotKind[2], 0);
  EXPECT_EQ(sparkX[2], 90.0f);
  EXPECT_EQ(sparkY[2], 210.0f);
  EXPECT_EQ(sparkTimer[2], 32);
}

TEST_F(ShotsTest, EnemiesOutOfViewOrNotAliveAreNotHit) {
  PlaceEnemy(0, 100, -38, 5);  // ey + 38 = 0: out of view
  PlaceEnemy(1, 100, 200, 5);
  enemyState[1] = 2;
  PlaceShot(0, 4, 100, 100);
  PlaceShot(1, 4, 100, 190);
  ResolveShotHits();
  EXPECT_EQ(enemyHp[0], 5.0f);
  EXPECT_EQ(enemyHp[1], 5.0f);
}

TEST_F(ShotsTest, ChargedShotKillsAndFliesOn) {
  PlaceEnemy(0, 100, 200, 1, 1, 125);
  PlaceShot(0, 2, 90, 210);
  ResolveShotHits();
  EXPECT_EQ(enemyHp[0], -3.0f);
  EXPECT_EQ(enemyState[0], 2);
  EXPECT_EQ(blastCX[0], 120.0f);
  EXPECT_EQ(blastCY[0], 220.0f);
  EXPECT_EQ(shotKind[0], 2);
  EXPECT_EQ(shotComboCount[0], 1);
  EXPECT_EQ(shotComboTimer[0], 0);  // a single kill arms no combo
  EXPECT_EQ(score, 125.0f);
}

TEST_F(ShotsTest, PiercingShotPaysItsComboOnlyAfterItHasLeft) {
  for (int e = 0; e < 5; ++e) PlaceEnemy(e, 100, 200 - 30 * e, 1, 1, 10);
  PlaceEnemy(5, 100, 75, 100, 1, 10);  // the first survivor stops the shot
  PlaceShot(7, 4, 90, 100);
  ResolveShotHits();
  for (int e = 0; e < 5; ++e) EXPECT_EQ(enemyState[e], 2) << e;
  EXPECT_EQ(enemyHp[5], 65.0f);
  EXPECT_EQ(shotKind[7], 0);
  EXPECT_EQ(shotComboCount[7], 5);
  EXPECT_EQ(shotComboTimer[7], 26);
  EXPECT_EQ(sparkTimer[7], 56);
  EXPECT_EQ(score, 50.0f);

  // While the shot flies nothing counts down.
  shotKind[7] = 4;
  for (int i = 0; i < 30; ++i) DrawComboTexts();
  EXPECT_EQ(shotComboTimer[7], 26);

  shotKind[7] = 0;
  for (int frame = 1; frame <= 40; ++frame) {
    DrawComboTexts();
    EXPECT_EQ(score, frame < 25 ? 50.0f : 300.0f) << frame;  // 5 x 5 x 10 on the 25th frame
  }
  EXPECT_EQ(shotComboCount[7], 5);  // kept until a new shot takes the slot
  EXPECT_EQ(shotComboTimer[7], 0);
}

TEST_F(ShotsTest, HitsDuringABombFlashLeaveTheEnemyStanding) {
  for (uint8_t phase : {2, 3}) {
    SetUp();
    battlePhase = phase;
    PlaceEnemy(0, 100, 200, 1);
    PlaceShot(0, 2, 90, 210);
    PlaceShot(1, 2, 90, 215);
    ResolveShotHits();
    EXPECT_EQ(enemyState[0], 1);
    EXPECT_EQ(enemyHp[0], -7.0f);  // both shots passed through and hit
    EXPECT_EQ(shotKind[0], 2);
    EXPECT_EQ(shotKind[1], 2);
    EXPECT_EQ(score, 0.0f);
  }
}

TEST_F(ShotsTest, NoDamageOutsidePlayOnceTheScrollHasEnded) {
  const struct {
    uint8_t mode;
    float scroll;
    float hp;
  } cases[] = {
      {0, 0, 4},
      {4, -10, 4},
      {4, 0, 5},
      {6, 0, 5},
  };
  for (const auto& c : cases) {
    SetUp();
    gameMode = c.mode;
    scrollPos = c.scroll;
    PlaceEnemy(0, 100, 200, 5);
    PlaceShot(0, 1, 90, 210);
    ResolveShotHits();
    EXPECT_EQ(enemyHp[0], c.hp) << int(c.mode) << " " << c.scroll;
    EXPECT_EQ(shotKind[0], 0);
  }
}

TEST_F(ShotsTest, BombFlashDestroysEachEnemyInReachOnce) {
  bombPhase = 2;
  PlaceEnemy(0, 100, 200, 50, 1, 100);
  PlaceEnemy(1, 200, 100, 50, 2, 200);
  PlaceEnemy(2, -35, 100, 50, 1, 400);  // ex + 40 = 5: out of the flash's reach
  PlaceEnemy(3, 322, 100, 50, 1, 800);  // ex = 322: out of reach
  ResolveShotHits();
  EXPECT_EQ(enemyState[0], 2);
  EXPECT_EQ(enemyState[1], 2);
  EXPECT_EQ(enemyHp[1], 0.0f);
  EXPECT_EQ(blastCX[1], 240.0f);
  EXPECT_EQ(enemyState[2], 1);
  EXPECT_EQ(enemyState[3], 1);
  EXPECT_EQ(score, 300.0f);
  EXPECT_EQ(bombComboCount, 2);
  EXPECT_EQ(bombComboTimer, 26);

  // A shot that destroys the enemy first: one kill, paid once.
  SetUp();
  bombPhase = 2;
  PlaceEnemy(0, 100, 200, 1, 1, 100);
  PlaceShot(0, 1, 90, 210);
  ResolveShotHits();
  EXPECT_EQ(score, 100.0f);
  EXPECT_EQ(bombComboCount, 0);

  // Outside play the flash destroys but pays nothing.
  SetUp();
  gameMode = 4;
  bombPhase = 2;
  PlaceEnemy(0, 100, 200, 1, 1, 100);
  ResolveShotHits();
  EXPECT_EQ(enemyState[0], 2);
  EXPECT_EQ(score, 0.0f);
}

TEST_F(ShotsTest, BombHitsTheBossOnceAndNeverBelowOne) {
  const struct {
    uint8_t mode;
    float hp, after;
  } cases[] = {{0, 100, 70}, {0, 20, 1}, {0, 30, 1}, {4, 100, 100}};
  for (const auto& c : cases) {
    SetUp();
    gameMode = c.mode;
    battlePhase = 1;
    bombPhase = 2;
    PlaceEnemy(0, 100, 50, c.hp, 5);
    ResolveShotHits();
    EXPECT_EQ(enemyHp[0], c.after);
    EXPECT_EQ(battlePhase, 2);
    EXPECT_EQ(enemyState[0], 1);
    ResolveShotHits();  // the next frame of the same flash
    EXPECT_EQ(enemyHp[0], c.after);
  }
}

TEST_F(ShotsTest, KillingTheBossStartsItsDestruction) {
  battlePhase = 1;
  bombPhase = 2;  // a bomb still running is refunded
  bombs = 1;
  PlaceEnemy(0, 60, 10, 1, 5, 8000);
  PlaceShot(0, 1, 150, 150);
  ResolveShotHits();
  EXPECT_EQ(enemyState[0], 4);
  EXPECT_EQ(score, 8000.0f);
  EXPECT_EQ(bombPhase, 3);
  EXPECT_EQ(bombs, 2);
  EXPECT_EQ(battlePhase, 1);
  const int16_t points[8][2] = {{245, 110}, {75, 30},  {135, 195}, {215, 25},
                                {85, 160},  {160, 70}, {245, 185}, {105, 35}};
  for (int k = 0; k < 8; ++k) {
    EXPECT_EQ(blastX[k], points[k][0]) << k;
    EXPECT_EQ(blastY[k], points[k][1]) << k;
    EXPECT_EQ(bandSize[k], -45.0f * k);
    EXPECT_EQ(bandPhase[k], 0);
  }
}

TEST_F(ShotsTest, EasyModePaysFourFifths) {
  const struct {
    uint8_t easy;
    int16_t points;
    float paid;
  } cases[] = {
      {0, 125, 125},
      {1, 125, 100},
      {1, 99, 79},
      {2, 125, 0},
  };
  for (const auto& c : cases) {
    score = 1000;
    easyMode = c.easy;
    enemyScore[9] = c.points;
    scoreSlot = 9;
    AwardEnemyScore();
    EXPECT_EQ(score, 1000.0f + c.paid) << int(c.easy) << " " << c.points;
  }
}

TEST_F(ShotsTest, BombComboPaysAfterTheBombAndClearsItself) {
  const struct {
    uint8_t easy;
    float paid;
  } cases[] = {{0, 270}, {1, 216}};
  for (const auto& c : cases) {
    SetUp();
    easyMode = c.easy;
    bombComboCount = 3;
    bombComboTimer = 26;
    bombPhase = 2;
    DrawComboTexts();  // no countdown while the bomb runs
    EXPECT_EQ(bombComboTimer, 26);
    bombPhase = 0;
    for (int i = 0; i < 24; ++i) DrawComboTexts();
    EXPECT_EQ(score, 0.0f);
    DrawComboTexts();
    EXPECT_EQ(score, c.paid);
    EXPECT_EQ(bombComboCount, 0);
    EXPECT_EQ(bombComboTimer, 0);
  }
  // A bomb ended by a continue marks its combo with -1: cleared unpaid.
  bombComboCount = 4;
  bombComboTimer = -1;
  DrawComboTexts();
  EXPECT_EQ(bombComboCount, 0);
  EXPECT_EQ(bombComboTimer, 0);
}

TEST_F(ShotsTest, ComboTimersArmForTheCurrentShotSlot) {
  loopSlot = 4;
  shotComboCount[4] = 2;
  bombComboCount = 1;
  bombComboTimer = 9;
  ArmComboTimers();
  EXPECT_EQ(shotComboTimer[4], 26);
  EXPECT_EQ(bombComboTimer, 0);
  shotComboCount[4] = 1;
  bombComboCount = 2;
  ArmComboTimers();
  EXPECT_EQ(shotComboTimer[4], 0);
  EXPECT_EQ(bombComboTimer, 26);
}

TEST_F(ShotsTest, TextsCarryOneLeadingBlank) {
  EXPECT_EQ(HitText(3), " 3Hit");
  EXPECT_EQ(HitText(12), " 12Hit");
  EXPECT_EQ(WithLeadingBlank(8), " 8");
}

TEST_F(ShotsTest, FramesOfPlayFireMoveAndHitInOrder) {
  buttonKeys[0] = buttonKeys[2] = kVkA;
  buttonKeys[1] = buttonKeys[3] = kVkS;
  scrollPos = 0;
  PlaceEnemy(0, 140, 200, 1, 1, 150);
  headless::SetKeyDown(kVkA, true);
  const uint64_t presents = headless::PresentCount();
  // The shot leaves at y 358 on the first frame and climbs 18 a frame in the
  // same frame; it reaches the enemy's box (y below 230) on the eighth.
  for (int frame = 1; frame <= 8; ++frame) {
    EXPECT_EQ(enemyState[0], 1) << frame;
    MainLoopPass();
  }
  EXPECT_EQ(enemyState[0], 2);
  EXPECT_EQ(score, 150.0f);
  EXPECT_EQ(shotKind[0], 0);
  EXPECT_EQ(shotKind[1], 0);  // fire held: one shot only
  EXPECT_EQ(chargeLevel, 8.0f);
  EXPECT_EQ(headless::PresentCount(), presents + 8);
}

}  // namespace
