// Enemy volleys, bullet movement and the ship's damage.
#include <gtest/gtest.h>

#include <cmath>

#include "app/app_state.h"
#include "platform/headless/headless.h"
#include "platform/random.h"
#include "tests/support/game_fixture.h"
#include "world/effects.h"
#include "world/player_damage.h"
#include "world/volleys.h"
#include "world/world_state.h"

namespace {

class BulletsTest : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    gameMode = 0;
    playerX = 150;
    playerY = 350;
    shield = 3;
  }
  static void PlaceEnemy(int slot, float x, float y, float scale = 1, uint8_t kind = 1) {
    enemyX[slot] = x;
    enemyY[slot] = y;
    enemyScale[slot] = scale;
    enemyKind[slot] = kind;
    enemyState[slot] = 1;
    enemyHp[slot] = 5;
  }
  static int CountBullets(uint8_t kind) {
    int n = 0;
    for (int k = 0; k < kBulletSlots; ++k) n += bulletKind[k] == kind;
    return n;
  }
};

TEST_F(BulletsTest, AimedVolleySkipsOccupiedSlotsOnTheRing) {
  PlaceEnemy(4, 100, 100);
  enemyShots[4] = 3;
  scriptEnemy = 4;
  nextBulletSlot = 10;
  bulletKind[11] = 2;
  bulletKind[13] = 3;
  FireAimedVolley();
  for (int k : {10, 12, 14}) {
    EXPECT_EQ(bulletKind[k], 1) << k;
    EXPECT_EQ(bulletX[k], 120.0f);  // muzzle: 20 x scale right, 19 x scale down
    EXPECT_EQ(bulletY[k], 119.0f);
    EXPECT_NEAR(std::hypot(bulletVX[k], bulletVY[k]), 8.0, 1e-5);
    EXPECT_GT(bulletVY[k], 0.0f);  // towards the ship below
  }
  EXPECT_EQ(bulletKind[11], 2);
  EXPECT_EQ(bulletKind[13], 3);
  EXPECT_EQ(nextBulletSlot, 15);
  EXPECT_EQ(volleyCount, 0);
}

TEST_F(BulletsTest, RingWrapsBefore80AndFreesSlot80OfItsKind) {
  PlaceEnemy(0, 100, 100);
  enemyShots[0] = 3;
  scriptEnemy = 0;
  nextBulletSlot = 78;
  bulletKind[80] = 1;
  FireAimedVolley();
  EXPECT_EQ(bulletKind[78], 1);
  EXPECT_EQ(bulletKind[79], 1);
  EXPECT_EQ(bulletKind[0], 1);
  EXPECT_EQ(bulletKind[80], 0);
  EXPECT_EQ(nextBulletSlot, 1);

  // A large-shot volley frees slot 80 only when it holds a large bullet.
  bulletKind[80] = 1;
  FireLargeShot();
  EXPECT_EQ(bulletKind[80], 1);
  bulletKind[80] = 2;
  FireLargeShot();
  EXPECT_EQ(bulletKind[80], 0);
}

TEST_F(BulletsTest, VolleyOnAFullRingGivesUp) {
  PlaceEnemy(0, 100, 100);
  enemyShots[0] = 5;
  scriptEnemy = 0;
  for (int k = 0; k < 80; ++k) bulletKind[k] = 2;
  nextBulletSlot = 30;
  FireAimedVolley();  // must return
  EXPECT_EQ(CountBullets(1), 0);
  EXPECT_EQ(volleyCount, 0);

  // Two free slots: the volley places two and ends.
  bulletKind[5] = 0;
  bulletKind[60] = 0;
  FireAimedVolley();
  EXPECT_EQ(bulletKind[5], 1);
  EXPECT_EQ(bulletKind[60], 1);
  EXPECT_EQ(bulletKind[80], 0);
  EXPECT_EQ(volleyCount, 0);

  revengeFire = 1;
  loopSlot2 = 0;
  FireLastVolley();  // the last volley gives up the same way
  EXPECT_EQ(CountBullets(1), 2);
}

TEST_F(BulletsTest, EnemiesFireOnlyInsideTheFiringWindow) {
  // The window is measured with the kind number: kind 2 reaches 80 pixels.
  const struct {
    float x, y;
    uint8_t kind;
    bool fires;
  } cases[] = {
      {100, -85, 2, true},  {100, -86, 2, false}, {100, 470, 2, true},  {100, 471, 2, false}, {360, 100, 2, true},
      {361, 100, 2, false}, {-85, 100, 2, true},  {-86, 100, 2, false}, {100, -5, 0, true},   {100, -6, 0, false},
  };
  for (const auto& c : cases) {
    SetUp();
    PlaceEnemy(2, c.x, c.y, 1, c.kind);
    enemyShots[2] = 1;
    scriptEnemy = 2;
    FireAimedVolley();
    FireCentreLargeShot();
    EXPECT_EQ(CountBullets(1) + CountBullets(2), c.fires ? 2 : 0) << c.x << "," << c.y;
  }
}

TEST_F(BulletsTest, LargeShotsLeaveTheirMuzzlesFallingAt13) {
  const struct { float scale, x, y; } single[] = {{1, 117, 220}, {2, 134, 244}, {4, 176, 300}, {5, 195, 323}};
  for (const auto& c : single) {
    SetUp();
    PlaceEnemy(0, 100, 200, c.scale);
    scriptEnemy = 0;
    FireLargeShot();
    EXPECT_EQ(bulletKind[0], 2);
    EXPECT_EQ(bulletX[0], c.x) << c.scale;
    EXPECT_EQ(bulletY[0], c.y) << c.scale;
    EXPECT_EQ(bulletVX[0], 0.0f);
    EXPECT_EQ(bulletVY[0], 13.0f);
  }
  SetUp();
  PlaceEnemy(0, 100, 200, 5);
  scriptEnemy = 0;
  FireTwinLargeShots();
  FireCentreLargeShot();
  EXPECT_EQ(bulletX[0], 135.0f);
  EXPECT_EQ(bulletX[1], 265.0f);
  EXPECT_EQ(bulletX[2], 200.0f);
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(bulletY[k], 318.0f);
    EXPECT_EQ(bulletVY[k], 13.0f);
  }
}

TEST_F(BulletsTest, BouncingVolleySizeFollowsTheSettings) {
  const struct {
    uint8_t hard, revenge, easy;
    int count;
  } cases[] = {
      {0, 0, 0, 4},
      {1, 1, 0, 6},
      {0, 0, 1, 3},
      {1, 0, 0, 5},
  };
  for (const auto& c : cases) {
    SetUp();
    hardMode = c.hard;
    revengeFire = c.revenge;
    easyMode = c.easy;
    PlaceEnemy(0, 100, 100, 5);
    scriptEnemy = 0;
    bulletBounces[2] = 7;
    FireBouncingVolley();
    EXPECT_EQ(CountBullets(3), c.count);
    EXPECT_EQ(bulletBounces[2], 0);
    EXPECT_EQ(bulletY[0], 210.0f);  // bosses fire from 22 x scale down
    EXPECT_NEAR(std::hypot(bulletVX[0], bulletVY[0]), 8.3, 1e-5);
  }
}

TEST_F(BulletsTest, LastVolleyBySizeOfTheDyingEnemy) {
  const struct {
    float scale;
    uint8_t carrier;
    int count;
  } cases[] = {
      {1, 0, 1}, {1, 1, 2}, {2, 0, 4}, {2, 1, 6}, {1.5f, 0, 6}, {5, 0, 6},
  };
  for (const auto& c : cases) {
    SetUp();
    revengeFire = 1;
    PlaceEnemy(7, 100, 100, c.scale);
    enemyCarrier[7] = c.carrier;
    loopSlot2 = 7;
    scriptEnemy = 0;  // not used by the last volley
    FireLastVolley();
    EXPECT_EQ(CountBullets(1), c.count) << c.scale << " " << int(c.carrier);
    EXPECT_EQ(enemyShots[7], c.count);
  }
  SetUp();
  PlaceEnemy(7, 100, 100);
  loopSlot2 = 7;
  FireLastVolley();  // only with the setting on
  EXPECT_EQ(CountBullets(1), 0);
}

TEST_F(BulletsTest, AimingUsesTwoDrawsAndNeverDividesByZero) {
  const int spread = 128;
  Randomize(77);
  const double r1 = Rnd(), r2 = Rnd();
  const double offX = std::floor(r1 * 2 * spread + 1 - spread);
  const double offY = std::floor(r2 * 2 * spread + 1 - spread);
  EXPECT_GE(offX, -(spread - 1));
  EXPECT_LE(offX, spread);

  // The aim point is 30 right of and 40 below the bullet: a 3-4-5 triangle.
  Randomize(77);
  bulletX[3] = float(playerX + 16 + offX - 30);
  bulletY[3] = float(playerY + 16 + offY - 40);
  AimBullet(3, spread, 8.0);
  EXPECT_EQ(aimDX, 30.0f);
  EXPECT_EQ(aimDY, 40.0f);
  EXPECT_EQ(aimDist, 50.0f);
  EXPECT_FLOAT_EQ(bulletVX[3], 4.8f);
  EXPECT_FLOAT_EQ(bulletVY[3], 6.4f);

  // The aim point on the bullet: straight down at the volley's speed.
  Randomize(77);
  bulletX[3] = float(playerX + 16 + offX);
  bulletY[3] = float(playerY + 16 + offY);
  AimBullet(3, spread, 8.3);
  EXPECT_EQ(aimDist, 0.0f);
  EXPECT_EQ(bulletVX[3], 0.0f);
  EXPECT_FLOAT_EQ(bulletVY[3], 8.3f);
}

TEST_F(BulletsTest, BouncingBulletBouncesFourTimesThenLeaves) {
  bulletKind[0] = 3;
  bulletX[0] = 300;
  bulletY[0] = 100;
  bulletVX[0] = 8;
  bulletVY[0] = 0;
  int frames = 0;
  while (bulletKind[0] == 3 && frames < 400) {
    MoveBulletsAndItems();
    ++frames;
  }
  EXPECT_EQ(bulletKind[0], 0);
  EXPECT_EQ(bulletBounces[0], 4);
  EXPECT_GT(bulletX[0] + 20, 350.0f);  // it left through the right edge

  // The left and top walls reflect whatever the count.
  bulletKind[1] = 3;
  bulletX[1] = -1;
  bulletY[1] = -2;
  bulletVX[1] = -5;
  bulletVY[1] = -5;
  bulletBounces[1] = 9;
  MoveBulletsAndItems();
  EXPECT_EQ(bulletVX[1], 5.0f);
  EXPECT_EQ(bulletVY[1], 5.0f);
  EXPECT_EQ(bulletBounces[1], 11);
  EXPECT_EQ(bulletX[1], 4.0f);
}

TEST_F(BulletsTest, PlainBulletsLeaveAtTheFieldEdges) {
  // Position after moving by (0, 0) -> still there?
  const struct {
    float x, y;
    bool stays;
  } cases[] = {
      {-25, 100, true}, {-25.5f, 100, false}, {370, 100, true}, {370.5f, 100, false},
      {100, -25, true}, {100, -25.5f, false}, {100, 460, true}, {100, 460.5f, false},
  };
  for (const auto& c : cases) {
    SetUp();
    bulletKind[5] = 1;
    bulletX[5] = c.x - 1;
    bulletY[5] = c.y - 2;
    bulletVX[5] = 1;
    bulletVY[5] = 2;
    MoveBulletsAndItems();
    EXPECT_EQ(bulletX[5], c.x);
    EXPECT_EQ(bulletKind[5] == 1, c.stays) << c.x << "," << c.y;
  }
}

TEST_F(BulletsTest, ShieldHitGivesFortyFramesOfImmunity) {
  shield = 1;
  chargeLevel = 50;
  PlaceEnemy(0, 150, 350);  // right on the ship
  int hitFrame = -1;
  for (int frame = 0; frame < 60 && gameMode == 0; ++frame) {
    CheckEnemyContact();
    if (shield == 0.0f && hitFrame < 0) hitFrame = frame;
    if (gameMode == 1) {
      EXPECT_EQ(frame, hitFrame + 40);  // vulnerable again on the 40th frame
    }
    UpdateEffects();
  }
  EXPECT_EQ(hitFrame, 0);
  EXPECT_EQ(chargeLevel, 0.0f);
  EXPECT_EQ(gameMode, 1);
  EXPECT_EQ(deathFade, 40u);  // 20 from the hit, 20 from the effects
}

TEST_F(BulletsTest, EnemyBodyIsThreeRectanglesWithStrictEdges) {
  // Ship box 162..183 by 370..400 (ship at 150, 350). The wide rectangle
  // reaches ex+5..ex+35, the tall one ey+9..ey+31.
  const struct {
    float ex, ey;
    bool hit;
  } cases[] = {
      {127, 350, false}, {127.5f, 350, true},  // right edge against the ship's left
      {178, 350, false}, {177.5f, 350, true},  // left edge against the ship's right
      {150, 339, false}, {150, 339.5f, true},  // bottom against the ship's top
      {150, 391, false}, {150, 390.5f, true},  // top against the ship's bottom
  };
  for (const auto& c : cases) {
    SetUp();
    PlaceEnemy(0, c.ex, c.ey);
    CheckEnemyContact();
    EXPECT_EQ(shield == 2.0f, c.hit) << c.ex << "," << c.ey;
  }
  // A scale-2 body reaches twice as far.
  SetUp();
  PlaceEnemy(0, 92.5f, 350, 2);
  CheckEnemyContact();
  EXPECT_EQ(shield, 2.0f);
}

TEST_F(BulletsTest, ContactNeedsALivingBody) {
  const struct {
    uint8_t state;
    float hp;
  } cases[] = {{1, 0}, {2, -3}, {0, 5}};
  for (const auto& c : cases) {
    SetUp();
    PlaceEnemy(0, 150, 350);
    enemyState[0] = c.state;
    enemyHp[0] = c.hp;
    CheckEnemyContact();
    EXPECT_EQ(shield, 3.0f) << int(c.state);
  }
}

TEST_F(BulletsTest, BulletHitsRemoveTheBulletOnePerFrame) {
  // Bullet cores against the ship's core boxes, strict.
  const struct {
    uint8_t kind;
    float bx, by;
    bool hit;
  } cases[] = {
      {1, 155, 370, false}, {1, 155.5f, 370, true}, {3, 165, 383.5f, true}, {3, 165, 384, false},
      {2, 152, 369, false}, {2, 152.5f, 369, true}, {2, 165, 351, false},   {2, 165, 351.5f, true},
  };
  for (const auto& c : cases) {
    SetUp();
    bulletKind[7] = c.kind;
    bulletX[7] = c.bx;
    bulletY[7] = c.by;
    CheckBulletHits();
    EXPECT_EQ(bulletKind[7] == 0, c.hit) << int(c.kind) << " " << c.bx << "," << c.by;
    EXPECT_EQ(shield == 2.0f, c.hit);
  }
  // Two bullets on the ship: the first hit makes the ship immune at once.
  SetUp();
  for (int k : {3, 4}) {
    bulletKind[k] = 1;
    bulletX[k] = 160;
    bulletY[k] = 375;
  }
  CheckBulletHits();
  EXPECT_EQ(bulletKind[3], 0);
  EXPECT_EQ(bulletKind[4], 1);
  EXPECT_EQ(shield, 2.0f);
}

TEST_F(BulletsTest, NothingHurtsDuringABomb) {
  for (uint8_t phase : {1, 2, 3}) {
    SetUp();
    bombPhase = phase;
    PlaceEnemy(0, 150, 350);
    bulletKind[0] = 1;
    bulletX[0] = 160;
    bulletY[0] = 375;
    CheckEnemyContact();
    CheckBulletHits();
    EXPECT_EQ(shield, 3.0f);
    EXPECT_EQ(bulletKind[0], 1);
  }
}

TEST_F(BulletsTest, EasyModeShieldAbsorbsSixHitsAndKeepsTheCharge) {
  easyMode = 1;
  chargeLevel = 90;
  for (int hit = 1; hit <= 6; ++hit) {
    bulletKind[0] = 1;
    bulletX[0] = 160;
    bulletY[0] = 375;
    invulnTimer = 0;
    CheckBulletHits();
    EXPECT_EQ(shield, 3.0f - 0.5f * hit);
    EXPECT_EQ(gameMode, 0);
  }
  EXPECT_EQ(chargeLevel, 90.0f);
  bulletKind[0] = 1;
  invulnTimer = 0;
  CheckBulletHits();
  EXPECT_EQ(gameMode, 1);
}

TEST_F(BulletsTest, DeathFadesOutForEightFramesAndBackForNine) {
  shield = 0;
  bulletKind[0] = 1;
  bulletX[0] = 160;
  bulletY[0] = 375;
  CheckBulletHits();
  ASSERT_EQ(gameMode, 1);
  EXPECT_EQ(deathFade, 20);
  int modeOneFrames = 0, modeTwoFrames = 0;
  // The fade ends in the continue prompt, which waits for a key: stop the
  // machine as soon as it starts waiting.
  headless::SetStopTime(headless::Clock() + 1);
  bool promptWaited = false;
  for (int frame = 0; frame < 40 && gameMode != 3; ++frame) {
    // Counted as each frame's effects begin.
    if (gameMode == 1) ++modeOneFrames;
    if (gameMode == 2) ++modeTwoFrames;
    try {
      UpdateEffects();
    } catch (const headless::StopReached&) {
      promptWaited = true;
    }
  }
  EXPECT_TRUE(promptWaited);
  EXPECT_EQ(modeOneFrames, 8);
  EXPECT_EQ(modeTwoFrames, 9);
  EXPECT_EQ(gameMode, 3);
  EXPECT_EQ(deathFade, 0);
}

}  // namespace
