#include <gtest/gtest.h>

#include "app/app_state.h"
#include "app/main_loop.h"
#include "platform/clock.h"
#include "platform/headless/headless.h"
#include "tests/support/game_fixture.h"

namespace {

int gTicks, gCloses;
void CountTick() { ++gTicks; }
void CountClose() { ++gCloses; }

class PacingTest : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    gTicks = gCloses = 0;
  }
  // One frame that starts at the current clock and works for `workMs`;
  // returns how long the frame lasted from start to start.
  uint32_t Frame(uint32_t workMs) {
    const uint32_t start = headless::Clock();
    frameStartMs = ClockMs();
    headless::SetClock(start + workMs);
    PaceFrame(kFramePeriodMs);
    return headless::Clock() - start;
  }
};

TEST_F(PacingTest, FrameLastsTheLongerOfItsWorkAndTheFramePeriod) {
  const struct {
    uint32_t startAt, work, period;
  } cases[] = {
      {0, 0, 43},
      {0, 10, 43},
      {0, 42, 43},
      {0, 43, 43},
      {0, 50, 50},
      {1000, 10, 43},
      {0xFFFFFFF0u, 10, 43},  // the clock wraps at 2^32 during the wait
      {0xFFFFFFFFu, 43, 43},  // ... and during the work
  };
  for (const auto& c : cases) {
    headless::SetClock(c.startAt);
    EXPECT_EQ(Frame(c.work), c.period) << "start " << c.startAt << " work " << c.work;
    EXPECT_EQ(frameElapsedMs, int32_t(c.work));
  }
}

TEST_F(PacingTest, ZeroOrNegativeWaitReturnsAtOnce) {
  headless::SetClock(500);
  headless::RequestCloseAt(0);
  SetWindowEventHandlers(CountClose, CountTick);
  WaitMs(0);
  WaitMs(-5);
  EXPECT_EQ(headless::Clock(), 500u);
  EXPECT_EQ(gCloses, 0) << "no pumping without a wait";
  WaitMs(1);
  EXPECT_EQ(headless::Clock(), 501u);
  EXPECT_EQ(gCloses, 1);
}

TEST_F(PacingTest, TimerTicksOnceASecond) {
  for (uint32_t start : {0u, 0xFFFFF000u}) {  // also across the clock's wrap
    SetUp();
    headless::SetClock(start);
    SetWindowEventHandlers(CountClose, CountTick);
    for (int frame = 0; frame < 100; ++frame) {  // 4.3 s of frames
      PumpMessages();
      Frame(5);
    }
    PumpMessages();
    EXPECT_EQ(gTicks, 4) << "from " << start;
  }
}

TEST_F(PacingTest, LongStallBringsOneTickNotABurst) {
  SetWindowEventHandlers(CountClose, CountTick);
  headless::SetClock(10000);
  PumpMessages();
  PumpMessages();
  EXPECT_EQ(gTicks, 1);
  WaitMs(999);
  EXPECT_EQ(gTicks, 1);
  WaitMs(1);
  EXPECT_EQ(gTicks, 2);
}

}  // namespace
