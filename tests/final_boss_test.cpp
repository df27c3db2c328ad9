#include "enemies/final_boss.h"

#include <gtest/gtest.h>

#include <vector>

#include "enemies/wave_table.h"
#include "tests/support/game_fixture.h"
#include "world/world_state.h"

namespace {

// One frame of the boss as the bullet table shows it.
struct FrameRecord {
  int step;      // the step the frame ran
  int nextStep;  // the step after it
  int t;         // the timer after the frame
  float x, y;
  int aimed;     // aimed volleys (three small bullets each)
  int twin;      // twin large shots
  int centre;    // centre large shots
  int bouncing;  // bouncing bullets
};

struct StepSummary {
  int frames = 0, aimed = 0, twin = 0, centre = 0, bouncing = 0;
};

class FinalBoss : public GameTest {
 protected:
  void Start(uint8_t hard, uint8_t easy) {
    hardMode = hard;
    easyMode = easy;
    stageNo = 8;
    playerX = 150;
    playerY = 350;
    SpawnBoss();
  }

  // One frame on a fresh bullet table, so the bullets placed are this frame's.
  FrameRecord Step() {
    for (int k = 0; k < kBulletSlots; ++k) bulletKind[k] = 0;
    nextBulletSlot = 0;
    scriptEnemy = 99;
    FrameRecord r{};
    r.step = enemyStep[0];
    RunFinalBoss();
    r.nextStep = enemyStep[0];
    r.t = enemyTimer[0];
    r.x = enemyX[0];
    r.y = enemyY[0];
    int small = 0, large = 0;
    for (int k = 0; k < kBulletSlots; ++k) {
      if (bulletKind[k] == 1) ++small;
      if (bulletKind[k] == 2) ++large;
      if (bulletKind[k] == 3) ++r.bouncing;
    }
    EXPECT_EQ(small % 3, 0);
    r.aimed = small / 3;
    r.twin = large / 2;  // a twin pair is two, a centre shot one
    r.centre = large % 2;
    return r;
  }

  // Runs from arrival through one whole cycle, back into step 1.
  std::vector<FrameRecord> RunCycle(float hpAfterArrival = 550) {
    std::vector<FrameRecord> frames;
    bool arrived = false;
    bool cycled = false;
    for (int n = 0; n < 5000 && !cycled; ++n) {
      frames.push_back(Step());
      const FrameRecord& r = frames.back();
      if (!arrived && r.nextStep == 1) {
        arrived = true;
        enemyHp[0] = hpAfterArrival;
      }
      cycled = r.step == 16 && r.nextStep == 1;
    }
    EXPECT_TRUE(cycled);
    return frames;
  }

  static std::vector<StepSummary> Summarise(const std::vector<FrameRecord>& frames) {
    std::vector<StepSummary> s(17);
    for (const FrameRecord& r : frames) {
      StepSummary& x = s[size_t(r.step)];
      ++x.frames;
      x.aimed += r.aimed;
      x.twin += r.twin;
      x.centre += r.centre;
      x.bouncing += r.bouncing;
    }
    return s;
  }

  // In every strafing frame the fire follows the timer.
  static void ExpectStrafeCadence(const std::vector<FrameRecord>& frames, int aimedEvery, bool centreShots) {
    for (const FrameRecord& r : frames) {
      if (r.step != 5 && r.step != 6 && r.step != 7 && r.step != 13 && r.step != 14 && r.step != 15) continue;
      // Steps that end with t = 0 or 3 fired on the timer before it was reset.
      const int t = (r.nextStep != r.step && r.step != 5 && r.step != 6) ? -1 : r.t;
      if (t < 0) continue;
      SCOPED_TRACE(testing::Message() << "step " << r.step << " t " << t);
      EXPECT_EQ(r.aimed, t % aimedEvery == 0 ? 1 : 0);
      EXPECT_EQ(r.twin, t % 8 == 0 ? 1 : 0);
      EXPECT_EQ(r.centre, centreShots && t % 16 == 0 ? 1 : 0);
    }
  }
};

TEST_F(FinalBoss, DamageWhileArrivingIsForgotten) {
  Start(0, 0);
  enemyHp[0] = 120;
  for (int n = 0; n < 166; ++n) {
    Step();
    ASSERT_EQ(enemyStep[0], 0) << n;
  }
  EXPECT_EQ(enemyHp[0], 120);
  EXPECT_EQ(enemyY[0], 49);
  Step();  // y 50.5: arrived
  EXPECT_EQ(enemyStep[0], 1);
  EXPECT_EQ(enemyHp[0], 550);
}

// Worked out by hand from the boss's path: arrival at y 50.5 after 167 frames,
// rising 2 a frame until y + 40 < -40 (67 frames), back down until y > 60
// (73 frames), the drop to 65, then 15-frame pauses; the second rise starts
// at y 65 and leaves at y + 40 < -50 (79 frames), the return takes 78.
TEST_F(FinalBoss, NormalCycleStepsAndFiring) {
  Start(0, 0);
  const std::vector<FrameRecord> frames = RunCycle();
  const std::vector<StepSummary> s = Summarise(frames);

  // The steps come in order 0..16 and back to 1.
  int expected = 0;
  for (const FrameRecord& r : frames) {
    ASSERT_EQ(r.step, expected);
    if (r.nextStep != r.step) {
      ASSERT_EQ(r.nextStep, r.step == 16 ? 1 : r.step + 1);
      expected = r.nextStep;
    }
  }

  // clang-format off
  const struct { int step, frames, aimed; } weaving[] = {
    {0, 167, 0}, {1, 67, 8}, {2, 73, 9}, {3, 1, 0}, {4, 15, 0}, {8, 15, 0},
    {9, 79, 10}, {10, 78, 10}, {11, 1, 0}, {12, 15, 0}, {16, 15, 0},
  };
  // clang-format on
  for (const auto& w : weaving) {
    SCOPED_TRACE(w.step);
    EXPECT_EQ(s[size_t(w.step)].frames, w.frames);
    EXPECT_EQ(s[size_t(w.step)].aimed, w.aimed);
    EXPECT_EQ(s[size_t(w.step)].twin, 0);
  }
  // Step 7 is entered at x > 150 and so ends on its first frame.
  EXPECT_EQ(s[7].frames, 1);
  // One bouncing volley of four at the end of each strafe run, none elsewhere.
  EXPECT_EQ(s[7].bouncing, 4);
  EXPECT_EQ(s[15].bouncing, 4);
  int bouncing = 0, centre = 0;
  for (const StepSummary& x : s) {
    bouncing += x.bouncing;
    centre += x.centre;
  }
  EXPECT_EQ(bouncing, 8);
  EXPECT_EQ(centre, 0);  // full hit points: no centre shots
  ExpectStrafeCadence(frames, 14, false);

  // The turning points of the strafes.
  for (size_t i = 1; i < frames.size(); ++i) {
    const FrameRecord& r = frames[i];
    if (r.nextStep == r.step) continue;
    switch (r.step) {
      case 5:
        EXPECT_LT(r.x, -20);
        EXPECT_GE(frames[i - 1].x, -20);
        break;
      case 6: EXPECT_GT(r.x + 200, 350); break;
      case 13: EXPECT_GT(r.x + 200, 340); break;
      case 14:
        EXPECT_LT(r.x, -40);
        EXPECT_GE(frames[i - 1].x, -40);
        break;
      case 15: EXPECT_GT(r.x, 0); break;
      default: break;
    }
  }
  // After step 16 the timer goes on from 110.
  EXPECT_EQ(frames.back().t, 110);
}

TEST_F(FinalBoss, StepThirteenLeavesTheTimerAtThree) {
  Start(0, 0);
  const std::vector<FrameRecord> frames = RunCycle();
  size_t first14 = 0;
  while (first14 < frames.size() && frames[first14].step != 14) ++first14;
  ASSERT_LT(first14 + 11, frames.size());
  EXPECT_EQ(frames[first14 - 1].t, 3);
  EXPECT_EQ(frames[first14].t, 4);
  // Twin shots on its 5th frame (t 8), the aimed volley on its 11th (t 14).
  for (size_t i = first14; i < first14 + 11; ++i) {
    const size_t n = i - first14 + 1;
    EXPECT_EQ(frames[i].twin, n == 5 ? 1 : 0) << n;
    EXPECT_EQ(frames[i].aimed, n == 11 ? 1 : 0) << n;
  }
}

TEST_F(FinalBoss, EasyModeFiresLessAndNeverTheCentreShot) {
  Start(0, 1);
  const std::vector<FrameRecord> frames = RunCycle(10);
  const std::vector<StepSummary> s = Summarise(frames);
  // Every 10 frames while weaving: t 10..60 in step 1, 70..140 in step 2.
  EXPECT_EQ(s[1].aimed, 6);
  EXPECT_EQ(s[2].aimed, 8);
  // Second rise t 16..94, return t 95..172.
  EXPECT_EQ(s[9].aimed, 8);
  EXPECT_EQ(s[10].aimed, 8);
  EXPECT_EQ(s[7].bouncing, 3);
  EXPECT_EQ(s[15].bouncing, 3);
  ExpectStrafeCadence(frames, 16, false);
}

TEST_F(FinalBoss, CentreShotsJoinBelowTheHitPointLimit) {
  struct Case {
    uint8_t hard;
    float hp;
    bool centre;
  };
  const Case cases[] = {{0, 300, false}, {0, 199, true}, {1, 349, true}, {1, 350, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "hard " << int(c.hard) << " hp " << c.hp);
    SetUp();
    Start(c.hard, 0);
    const std::vector<FrameRecord> frames = RunCycle(c.hp);
    ExpectStrafeCadence(frames, 14, c.centre);
    const std::vector<StepSummary> s = Summarise(frames);
    EXPECT_EQ(s[5].centre > 0, c.centre);
    EXPECT_EQ(s[15].bouncing, 4 + c.hard);
  }
}

}  // namespace
