#include "frontend/transitions.h"

#include <gtest/gtest.h>

#include <vector>

#include "app/app_state.h"
#include "platform/headless/headless.h"
#include "platform/keys.h"
#include "platform/surface.h"
#include "tests/support/game_fixture.h"
#include "world/world_state.h"

namespace {

// The picture shown by each step: taken when the step starts waiting.
std::vector<std::vector<uint32_t>> shownSteps;
uint64_t lastPresent = 0;

void TakeShownPicture(uint32_t, uint32_t) {
  if (headless::PresentCount() == lastPresent) return;
  lastPresent = headless::PresentCount();
  shownSteps.emplace_back(scrmain.pixels, scrmain.pixels + size_t(scrmain.width) * scrmain.height);
}

uint32_t Pixel(const std::vector<uint32_t>& pic, int x, int y) { return pic[size_t(y) * kScreenWidth + x]; }
uint32_t BackPixel(int x, int y) { return scrback.pixels[size_t(y) * kBackWidth + x]; }

class TransitionTest : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    shownSteps.clear();
    lastPresent = 0;
    headless::SetClockObserver(TakeShownPicture);
    // A background whose every row has its own non-black colour.
    for (int y = 0; y < kBackHeight; ++y)
      for (int x = 0; x < kBackWidth; ++x) scrback.pixels[size_t(y) * kBackWidth + x] = 0x100000u + uint32_t(y);
    playerY = 1000;  // keep the ship off the picture unless a test places it
  }
};

TEST_F(TransitionTest, WipeToBlackBlackensEveryPixelInEightStepsOf93Ms) {
  for (int i = 0; i < scrmain.width * scrmain.height; ++i) scrmain.pixels[i] = 0xFFFFFF;
  WipeToBlack();
  ASSERT_EQ(shownSteps.size(), 8u);
  for (int i = 0; i < scrmain.width * scrmain.height; ++i) ASSERT_EQ(scrmain.pixels[i], 0u) << i;
  // The first step: 5-pixel bars every 30 pixels, the rest untouched.
  EXPECT_EQ(Pixel(shownSteps[0], 4, 470), 0u);
  EXPECT_EQ(Pixel(shownSteps[0], 5, 470), 0xFFFFFFu);
  EXPECT_EQ(Pixel(shownSteps[0], 30, 0), 0u);
  EXPECT_EQ(headless::Clock(), 8u * 93u);
}

TEST_F(TransitionTest, OpeningsUncoverTheSceneFromTheLeftOfEach35PixelPeriod) {
  struct Case {
    const char* name;
    void (*run)();
    uint8_t stage;
    int firstRow;  // background row shown at the top
  };
  const Case cases[] = {
      {"title", OpenOnTitle, 5, 1720},
      {"stage", OpenOnStage, 1, 2545},
      {"final stage", OpenOnStage, 8, 1020},
      {"ending scene", OpenOnEndingScene, 8, 1985},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    shownSteps.clear();
    headless::SetClock(0);
    stageNo = c.stage;
    gameMode = 6;
    c.run();
    EXPECT_EQ(scrollPos, -float(c.firstRow));
    EXPECT_EQ(headless::Clock(), 7u * 94u);
    ASSERT_EQ(shownSteps.size(), 7u);
    // Rows 30..399 hold nothing but the background (the score is above them,
    // the rest of the status display below).
    for (int y = 30; y < 400; y += 7) {
      for (int x = 0; x < 330; ++x) {
        const uint32_t scene = c.firstRow + y < kBackHeight ? BackPixel(x, c.firstRow + y) : 0u;
        const bool covered = x % 35 < 24;  // first step: 11-pixel slices at 35a + 24 .. 35a + 34
        ASSERT_EQ(Pixel(shownSteps[0], x, y), covered ? 0u : scene) << x << "," << y;
        ASSERT_EQ(Pixel(shownSteps[6], x, y), scene) << x << "," << y;
      }
    }
  }
}

TEST_F(TransitionTest, OpenOnStageDrawsTheShipOnlyInPlay) {
  // A ship cell that paints solid red over anything.
  for (int y = 0; y < 65; ++y)
    for (int x = 0; x < 45; ++x) {
      imgchar[0].pixels[size_t(y) * imgchar[0].width + x] = 0xFF0000;
      imgchar[0].pixels[size_t(y + 65) * imgchar[0].width + x] = 0;
    }
  stageNo = 1;
  playerX = 150;
  playerY = 350;
  const int sx = 170, sy = 380;  // inside the ship
  gameMode = 6;
  OpenOnStage();
  EXPECT_EQ(scrmain.pixels[size_t(sy) * kScreenWidth + sx], BackPixel(sx, 2545 + sy));
  gameMode = 0;
  OpenOnStage();
  EXPECT_EQ(scrmain.pixels[size_t(sy) * kScreenWidth + sx], 0xFF0000u);
  invulnTimer = 3;  // blinking: the odd frames show no ship
  OpenOnStage();
  EXPECT_EQ(scrmain.pixels[size_t(sy) * kScreenWidth + sx], BackPixel(sx, 2545 + sy));
}

TEST_F(TransitionTest, EndingSceneMarksThePKeyOnlyOnStageOneWithoutAPose) {
  struct Case {
    uint8_t stage, pose;
    bool pHeld;
    uint8_t poseAfter;
  };
  const Case cases[] = {{1, 0, true, 1}, {1, 0, false, 0}, {8, 0, true, 0}, {1, 3, true, 3}};
  for (const Case& c : cases) {
    headless::SetKeyDown(kVkP, c.pHeld);
    stageNo = c.stage;
    shipPose = c.pose;
    OpenOnEndingScene();
    EXPECT_EQ(shipPose, c.poseAfter) << int(c.stage) << " " << int(c.pose) << " " << c.pHeld;
  }
}

}  // namespace
