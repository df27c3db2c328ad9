#include "app/main_loop.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "app/app_state.h"
#include "platform/clock.h"
#include "platform/headless/headless.h"
#include "tests/support/game_fixture.h"
#include "world/world_state.h"

namespace {

using MainLoopTest = GameTest;

int gEntries;
uintptr_t gDeepest, gShallowest;

// Runs inside the frame's wait, deep in the main loop: enters the loop afresh
// from there, as the screens do, and notes how deep the stack is each time.
void EnterAfreshFromTheWait(uint32_t, uint32_t) {
  volatile char marker = 0;
  const auto here = reinterpret_cast<uintptr_t>(&marker);
  if (gEntries > 0) {
    gDeepest = std::min(gDeepest, here);
    gShallowest = std::max(gShallowest, here);
  }
  if (++gEntries > 5000) throw headless::StopReached{};
  MainLoop();
}

TEST_F(MainLoopTest, EnteringAfreshThousandsOfTimesDoesNotGrowTheStack) {
  gEntries = 0;
  gDeepest = UINTPTR_MAX;
  gShallowest = 0;
  gameMode = 0;
  headless::SetClockObserver(EnterAfreshFromTheWait);
  EXPECT_THROW(RunMainLoop(), headless::StopReached);
  EXPECT_GT(gEntries, 5000);
  EXPECT_LT(gShallowest - gDeepest, 256u) << "the stack grew between entries";
}

TEST_F(MainLoopTest, FramesArePacedToFortyThreeMilliseconds) {
  // Every frame of play takes exactly 43 ms of the virtual clock.
  gameMode = 0;
  bannerTimer = 1;  // no stage logic
  headless::SetClock(1000);
  for (int i = 0; i < 3; ++i) MainLoopPass();
  EXPECT_EQ(headless::Clock(), 1000u + 3 * 43);
  EXPECT_EQ(frameElapsedMs, 0);
}

TEST_F(MainLoopTest, DemonstrationEndsFiftyFramesAfterItsScroll) {
  gameMode = 6;
  scrollPos = 0;
  sequenceTimer = 0;
  bannerTimer = 1;
  for (int i = 0; i < 50; ++i) {
    MainLoopPass();
    ASSERT_EQ(gameMode, 6) << "frame " << i;
  }
  EXPECT_EQ(sequenceTimer, 50);
  MainLoopPass();
  EXPECT_EQ(gameMode, 8);
}

}  // namespace
