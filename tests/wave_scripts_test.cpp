// Behaviour scripts of the waves: firing points, stop-and-go timing, dives,
// bounces, rings, leader groups, boss arrival and waves without a script.
#include "world/wave_scripts.h"

#include <cmath>
#include <vector>

#include "enemies/wave_table.h"
#include "platform/random.h"
#include "tests/support/game_fixture.h"
#include "world/world_state.h"

namespace {

class WaveScripts : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    playerX = 150;
    playerY = 400;
  }

  // A live enemy of kind 1 with one bullet per volley.
  static void PlaceEnemy(int k, float x, float y, float scale = 1) {
    enemyX[k] = x;
    enemyY[k] = y;
    enemyScale[k] = scale;
    enemyKind[k] = 1;
    enemyShots[k] = 1;
    enemyHp[k] = 10;
    enemyStep[k] = 0;
    enemyTimer[k] = 0;
    enemyState[k] = 1;
  }

  static int BulletCount() {
    int n = 0;
    for (int b = 0; b < kBulletSlots; ++b) n += bulletKind[b] != 0;
    return n;
  }

  // Runs frames; returns the frame numbers (1-based) on which bullets appeared.
  static std::vector<int> FiringFrames(int frames) {
    std::vector<int> fired;
    for (int f = 1; f <= frames; ++f) {
      const int before = BulletCount();
      RunWaveBehaviour();
      if (BulletCount() > before) fired.push_back(f);
    }
    return fired;
  }
};

TEST_F(WaveScripts, ColumnEnemyFiresOnceInTheBand) {
  for (uint8_t w : {uint8_t(1), uint8_t(40)}) {
    ResetEverything();
    wave = w;
    PlaceEnemy(0, 60, 30);
    const std::vector<int> fired = FiringFrames(150);
    // y + 4 a frame: the band 70 < y < 465 starts on frame 11.
    ASSERT_EQ(fired.size(), 1u) << int(w);
    EXPECT_EQ(fired[0], 11) << int(w);
    EXPECT_GT(enemyX[0], 60) << "steered towards 160";
    for (int f = 0; f < 10; ++f) RunWaveBehaviour();
    EXPECT_EQ(enemyState[0], 0) << "removed below 465";
  }
}

TEST_F(WaveScripts, LargePairStopsFiresTwiceAndLeavesSeventyFramesLater) {
  for (uint8_t w : {uint8_t(2), uint8_t(3), uint8_t(4), uint8_t(28)}) {
    ResetEverything();
    wave = w;
    PlaceEnemy(0, 100, 100, 2);
    int stopFrame = 0;
    std::vector<int> fired;
    int leaveFrame = 0;
    for (int f = 1; f <= 200 && enemyState[0] == 1; ++f) {
      const int before = BulletCount();
      RunWaveBehaviour();
      if (BulletCount() > before) fired.push_back(f);
      if (!stopFrame && enemyStep[0] == 1) stopFrame = f;
      if (!leaveFrame && enemyStep[0] == 2) leaveFrame = f;
    }
    EXPECT_EQ(stopFrame, 5) << int(w);  // 100 + 5 x 6 = 130
    ASSERT_EQ(fired.size(), 2u) << int(w);
    EXPECT_EQ(fired[0], stopFrame + 2);
    EXPECT_EQ(fired[1] - fired[0], 50);
    EXPECT_EQ(leaveFrame, stopFrame + 70);
    EXPECT_EQ(enemyState[0], 0) << "gone off the top";
    EXPECT_LT(enemyY[0] + 40 * enemyScale[0], -20);
  }
}

TEST_F(WaveScripts, LargePairUsesSlotZeroScaleForItsExit) {
  // Slot 1 is large but the exit test reads slot 0's scale.
  wave = 2;
  PlaceEnemy(0, 50, -500, 1);  // far above: parked in step 0
  enemyState[0] = 0;
  PlaceEnemy(1, 100, 130, 3);
  enemyStep[1] = 2;
  enemyY[1] = -55;  // -55 - 7 + 40 x 1 < -20, but + 40 x 3 is not
  RunWaveBehaviour();
  EXPECT_EQ(enemyState[1], 0);
}

TEST_F(WaveScripts, SwoopAimsFromTheSeededDraws) {
  wave = 27;
  PlaceEnemy(0, 100, 50);
  enemyStep[0] = 1;
  Randomize(1234);
  const double r1 = Rnd(), r2 = Rnd();
  const double dx = std::floor(r1 * 64 + 1 - 32) + (150 + 16) - 100;
  const double dy = std::floor(r2 * 64 + 1 - 32) + (400 + 16) - 50;
  const double dist = std::sqrt(dx * dx + dy * dy);
  Randomize(1234);
  RunWaveBehaviour();
  EXPECT_EQ(enemyStep[0], 2);
  EXPECT_FLOAT_EQ(enemyParamA[0], float(11 * dx / dist));
  EXPECT_FLOAT_EQ(enemyParamB[0], float(5 * dy / dist));
  EXPECT_FLOAT_EQ(enemyX[0], 100) << "aims without moving";
}

TEST_F(WaveScripts, DiveVelocityGoesThroughTheSharedFloatAimScalars) {
  // Fractional positions whose offsets do not fit a float exactly: the kept
  // velocity must come from the stored aimDX, aimDY and aimDist, as a bullet's.
  const float xs[] = {10.3f, 12.7f, 9.1f, 3.37f, 7.77f, 1.013f};
  int differsFromUnrounded = 0;
  for (float x : xs) {
    ResetEverything();
    wave = 27;
    PlaceEnemy(0, x, -0.3f);
    enemyStep[0] = 1;
    playerX = 150.1f;
    playerY = 399.7f;
    Randomize(77);
    const double r1 = Rnd(), r2 = Rnd();
    const double dx = std::floor(r1 * 64 + 1 - 32) + (double(playerX) + 16) - double(x);
    const double dy = std::floor(r2 * 64 + 1 - 32) + (double(playerY) + 16) - (-0.3f);
    const float fdx = float(dx), fdy = float(dy);
    const float fdist = float(std::sqrt(double(fdx) * fdx + double(fdy) * fdy));
    const float wantA = float(11 * double(fdx) / fdist), wantB = float(5 * double(fdy) / fdist);
    const double dist = std::sqrt(dx * dx + dy * dy);
    differsFromUnrounded += float(11 * dx / dist) != wantA || float(5 * dy / dist) != wantB;
    Randomize(77);
    RunWaveBehaviour();
    EXPECT_EQ(aimDX, fdx) << x;
    EXPECT_EQ(aimDist, fdist) << x;
    EXPECT_EQ(enemyParamA[0], wantA) << x;
    EXPECT_EQ(enemyParamB[0], wantB) << x;
  }
  EXPECT_GT(differsFromUnrounded, 0) << "the fixture tells the two roundings apart";
}

TEST_F(WaveScripts, DiveAimedExactlyAtItselfGoesStraightDown) {
  // The aim point lands exactly on the enemy: no direction to divide by.
  const struct {
    uint8_t wave;
    uint8_t step;
    float vy;
  } cases[] = {{27, 1, 5}, {84, 1, 18}, {48, 1, 7}, {95, 1, 16}, {51, 1, 7}};
  for (const auto& c : cases) {
    ResetEverything();
    Randomize(99);
    const double ox = std::floor(double(Rnd()) * 64 + 1 - 32);
    const double oy = std::floor(double(Rnd()) * 64 + 1 - 32);
    Randomize(99);
    wave = c.wave;
    PlaceEnemy(0, 100, 200);
    enemyStep[0] = c.step;
    playerX = float(100 - 16 - ox);
    playerY = float(200 - 16 - oy);
    RunWaveBehaviour();
    EXPECT_FALSE(std::isnan(enemyParamA[0]) || std::isnan(enemyParamB[0])) << int(c.wave);
    EXPECT_EQ(enemyParamA[0], 0) << int(c.wave);
    EXPECT_FLOAT_EQ(enemyParamB[0], c.vy) << int(c.wave);
  }
}

TEST_F(WaveScripts, PlungerFiresAsItTakesStepOneAndAimsOnTheNextFrame) {
  // Slots 0 and 3 fire (multiples of 3), slot 1 never does; wave 84 is silent.
  const struct {
    uint8_t wave;
    int slot;
    bool fires;
  } cases[] = {{125, 0, true}, {125, 3, true}, {125, 1, false}, {84, 0, false}};
  for (const auto& c : cases) {
    ResetEverything();
    wave = c.wave;
    PlaceEnemy(c.slot, 100, -50);  // -50 + 6 + 40 > -5: step 1 on the first frame
    const int before = BulletCount();
    RunWaveBehaviour();
    EXPECT_EQ(enemyStep[c.slot], 1) << int(c.wave) << " slot " << c.slot;
    EXPECT_EQ(BulletCount() > before, c.fires) << int(c.wave) << " slot " << c.slot;
    EXPECT_EQ(enemyParamB[c.slot], 0) << "not aimed yet";
    const int afterStep1 = BulletCount();
    RunWaveBehaviour();
    EXPECT_EQ(enemyStep[c.slot], 2);
    EXPECT_GT(enemyParamB[c.slot], 0) << "aims at the ship below";
    EXPECT_EQ(BulletCount(), afterStep1) << "no second volley as it aims";
  }
}

TEST_F(WaveScripts, BouncingPairLeavesAfterSevenBounces) {
  for (uint8_t w : {uint8_t(102), uint8_t(128)}) {
    ResetEverything();
    wave = w;
    PlaceEnemy(0, 120, -40, 1.5f);
    enemyParamA[0] = 9;
    enemyParamB[0] = 7;
    int maxStepWhileAlive = 0;
    int frames = 0;
    for (; frames < 2000 && enemyState[0] == 1; ++frames) {
      RunWaveBehaviour();
      if (enemyState[0] == 1) maxStepWhileAlive = std::max<int>(maxStepWhileAlive, enemyStep[0]);
      // Inside the walls until the seventh bounce.
      if (enemyStep[0] < 7) {
        EXPECT_GE(enemyX[0] + 40 * 1.5f, -25) << int(w);
        EXPECT_LE(enemyX[0], 350) << int(w);
      }
    }
    EXPECT_EQ(enemyState[0], 0) << int(w) << " never left";
    EXPECT_EQ(enemyStep[0], 8) << int(w) << " seven bounces, then straight out";
    EXPECT_GE(maxStepWhileAlive, 7);
  }
}

TEST_F(WaveScripts, RingClosesAndOpens) {
  wave = 42;
  enemyX[0] = 150;
  enemyY[0] = 100;  // the invisible centre (state 0)
  for (int k = 1; k <= 9; ++k) PlaceEnemy(k, 0, 0);
  // Centre timer after the frame -> radius of the ring.
  const struct {
    int t;
    double r;
  } cases[] = {{1, 142}, {34, 43}, {35, 40}, {50, 85}, {69, 142}, {70, 145}, {71, 142}};
  int t = 0;
  for (const auto& c : cases) {
    while (t < c.t) {
      RunWaveBehaviour();
      ++t;
    }
    for (int k = 1; k <= 9; ++k) {
      const double dx = double(enemyX[k]) - enemyX[0];
      const double dy = double(enemyY[k]) - enemyY[0] - 2;
      EXPECT_NEAR(std::sqrt(dx * dx + dy * dy), c.r, 1e-3) << "t " << c.t << " slot " << k;
    }
  }
  EXPECT_FLOAT_EQ(enemyY[0], 100 + 3 * 71);
  EXPECT_EQ(BulletCount(), 0) << "the ring does not fire";
}

TEST_F(WaveScripts, LeaderGroupAimsTogetherOnTheEighthFrame) {
  for (uint8_t w : {uint8_t(31), uint8_t(32)}) {
    ResetEverything();
    wave = w;
    for (int k = 0; k <= 4; ++k) PlaceEnemy(k, 40 + 60 * k, -60);
    int leaderStopped = 0;
    std::vector<int> aimFrame(5, 0);
    for (int f = 1; f <= 80; ++f) {
      RunWaveBehaviour();
      if (!leaderStopped && enemyStep[4] == 1) leaderStopped = f;
      for (int k = 0; k <= 4; ++k)
        if (!aimFrame[k] && enemyStep[k] == 3) aimFrame[k] = f;
    }
    ASSERT_GT(leaderStopped, 0);
    for (int k = 0; k <= 4; ++k) EXPECT_EQ(aimFrame[k], leaderStopped + 8) << int(w) << " slot " << k;
    EXPECT_EQ(BulletCount(), 0) << "no bullets in this formation";
  }
}

TEST_F(WaveScripts, DivingLeaderGroupIsCappedAndLeaves) {
  wave = 31;
  for (int k = 0; k <= 4; ++k) PlaceEnemy(k, 40 + 60 * k, -60);
  enemyHp[2] = 40;
  for (int f = 0; f < 300; ++f) RunWaveBehaviour();
  for (int k = 0; k <= 4; ++k) EXPECT_EQ(enemyState[k], 0) << k;
  EXPECT_FLOAT_EQ(enemyHp[2], 6);
}

TEST_F(WaveScripts, TrackerCountsItsStayInSlotTwo) {
  // Wave 63 keeps slot 2's timer from the wave before: the stay shortens.
  for (int16_t left : {int16_t(0), int16_t(150), int16_t(400)}) {
    ResetEverything();
    wave = 63;
    PlaceEnemy(0, 100, 40, 3);
    enemyTimer[2] = left;
    int leaveFrame = 0;
    for (int f = 1; f <= 600 && !leaveFrame; ++f) {
      RunWaveBehaviour();
      if (enemyStep[0] == 2) leaveFrame = f;
    }
    ASSERT_GT(leaveFrame, 0) << left;
    EXPECT_GE(enemyTimer[2], 210) << left;
    if (left >= 210) {
      EXPECT_LE(leaveFrame, 3) << "already over the count";
    }
  }
}

TEST_F(WaveScripts, BossArrivalRestoresFullHitPoints) {
  const float full[] = {240, 260, 280, 355, 365, 380, 400};
  for (uint8_t stage = 1; stage <= 7; ++stage) {
    ResetEverything();
    stageNo = stage;
    SpawnBoss();
    ASSERT_EQ(wave, 149 + stage);
    enemyHp[0] = 3;  // hit while entering
    int frames = 0;
    while (enemyStep[0] == 0 && frames < 400) {
      RunWaveBehaviour();
      ++frames;
    }
    EXPECT_EQ(enemyStep[0], 1) << int(stage);
    EXPECT_FLOAT_EQ(enemyHp[0], full[stage - 1]) << int(stage);
  }
}

TEST_F(WaveScripts, BossScriptRunsOnlyWhileTheBossLives) {
  stageNo = 1;
  SpawnBoss();
  enemyState[0] = 4;  // destroyed
  const float y = enemyY[0];
  for (int f = 0; f < 10; ++f) RunWaveBehaviour();
  EXPECT_EQ(enemyY[0], y);
}

TEST_F(WaveScripts, WavesWithoutAScriptLeaveEnemiesInPlace) {
  for (int w : {18, 19, 58, 59, 76, 77, 78, 79, 98, 99, 116, 117, 118, 119, 136, 149}) {
    ResetEverything();
    wave = uint8_t(w);
    for (int k = 0; k < kEnemySlots; ++k) PlaceEnemy(k, float(10 * k), float(5 * k));
    for (int f = 0; f < 20; ++f) RunWaveBehaviour();
    for (int k = 0; k < kEnemySlots; ++k) {
      EXPECT_EQ(enemyX[k], float(10 * k)) << w;
      EXPECT_EQ(enemyY[k], float(5 * k)) << w;
      EXPECT_EQ(enemyState[k], 1) << w;
    }
    EXPECT_EQ(BulletCount(), 0) << w;
  }
}

TEST_F(WaveScripts, OnlyTheShowersFireFromAnExplodingEnemy) {
  const struct {
    uint8_t wave;
    float y;
    bool fires;
  } cases[] = {{107, -20, true}, {134, -20, true}, {1, 60, false}, {40, 60, false}};
  for (const auto& c : cases) {
    ResetEverything();
    wave = c.wave;
    PlaceEnemy(0, 100, c.y);
    enemyState[0] = 2;  // exploding
    EXPECT_EQ(FiringFrames(20).size(), c.fires ? 1u : 0u) << int(c.wave);
  }
}

}  // namespace

namespace {

// Every enemy a formation spawns belongs to its script's slot range: the
// first frame after the spawn moves each of them (all scripts start moving).
TEST_F(WaveScripts, EveryFormationSlotIsMovedByItsScript) {
  for (int w = 1; w <= 135; ++w) {
    ResetEverything();
    Randomize(5);
    stageNo = uint8_t((w + 20) / 20);
    wave = uint8_t(w);
    SpawnWave();
    float x[kEnemySlots], y[kEnemySlots];
    for (int k = 0; k < kEnemySlots; ++k) {
      x[k] = enemyX[k];
      y[k] = enemyY[k];
    }
    RunWaveBehaviour();
    for (int k = 0; k < kEnemySlots; ++k) {
      if (enemyState[k] == 0 && enemyKind[k] == 0 && enemyHp[k] == 0) continue;  // not written
      EXPECT_TRUE(enemyX[k] != x[k] || enemyY[k] != y[k]) << "wave " << w << " slot " << k;
    }
  }
}

}  // namespace
