#include <gtest/gtest.h>

#include <initializer_list>

#include "app/app_state.h"
#include "app/main_loop.h"
#include "data/score_file.h"
#include "frontend/title.h"
#include "platform/headless/headless.h"
#include "platform/input.h"
#include "platform/keys.h"
#include "platform/surface.h"
#include "presentation/game_reset.h"
#include "tests/support/game_fixture.h"
#include "tests/support/screen_runner.h"
#include "world/world_state.h"

namespace {

// Holds a key during frame `frame` alone.

// A fresh program at the title: the fire and bomb keys as start-up sets them,
// the world as the main loop resets it before the title.
void ResetToTitle() {
  ResetEverything();
  buttonKeys[0] = buttonKeys[2] = kVkA;
  buttonKeys[1] = buttonKeys[3] = kVkS;
  joystickId = -1;
  ResetGame();
}

class TitleTest : public GameTest {
 protected:
  void SetUp() override { ResetToTitle(); }
};

TEST_F(TitleTest, MenuCursorWrapsAndActsOncePerPress) {
  struct Case {
    const char* name;
    std::initializer_list<Press> presses;
    int16_t cursorY;
  };
  const Case cases[] = {
      {"up on START goes to END", {{kVkUp, 2}}, 380},
      {"up twice", {{kVkUp, 2}, {kVkUp, 4}}, 350},
      {"down", {{kVkDown, 2}}, 320},
      {"keypad 2 is down", {{kVkNum2, 2}}, 320},
      {"down on END goes to START", {{kVkUp, 2}, {kVkDown, 4}}, 290},
      {"up and down together: only up", {{kVkNum8, 2}, {kVkDown, 2}}, 380},
      {"a held key moves once", {{kVkUp, 2}, {kVkUp, 3}, {kVkUp, 4}}, 380},
      {"a key held from the last screen does nothing", {{kVkUp, 0}, {kVkUp, 1}}, 290},
      {"H held from the last screen does nothing", {{kVkH, 0}, {kVkH, 1}}, 290},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetToTitle();
    for (const Press& p : c.presses) PressAt(p.vk, p.frame);
    EXPECT_EQ(RunFrames(8, TitleMenu), Ended::Stopped);
    EXPECT_EQ(cursorY, c.cursorY);
    EXPECT_EQ(cursorX, 80);
    EXPECT_EQ(gameMode, 0);  // nothing started (the reset's mode is untouched)
  }
}

TEST_F(TitleTest, StartsOfAGameSetTheirDifficulty) {
  struct Case {
    const char* name;
    std::initializer_list<Press> presses;
    uint8_t hard, easy;
  };
  const Case cases[] = {
      {"START with fire", {{kVkA, 2}}, 0, 0},
      {"START with bomb", {{kVkS, 2}}, 0, 0},
      {"H on START", {{kVkH, 2}}, 1, 0},
      {"E on START", {{kVkE, 2}}, 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetToTitle();
    for (const Press& p : c.presses) PressAt(p.vk, p.frame);
    ASSERT_EQ(RunFrames(60, TitleMenu), Ended::EnteredMainLoop);
    EXPECT_EQ(hardMode, c.hard);
    EXPECT_EQ(easyMode, c.easy);
    EXPECT_EQ(revengeFire, 0);
    EXPECT_EQ(fullRunFlag, 1);
    EXPECT_EQ(gameMode, 0);
    EXPECT_EQ(stageNo, 1);
    EXPECT_EQ(playerX, 150.0f);
    EXPECT_EQ(playerY, 350.0f);
    EXPECT_EQ(bannerTimer, 82);
    EXPECT_EQ(bannerX, 117);
    EXPECT_EQ(scrollPos, -2545.0f);  // opened onto the stage
    // Wipe (744 ms) and opening (658 ms) came after the frame of the press.
    EXPECT_EQ(headless::Clock(), 2 * kFrame + 744 + 658);
  }
}

TEST_F(TitleTest, HAndEDoNothingAwayFromStart) {
  PressAt(kVkDown, 2);
  PressAt(kVkH, 4);
  PressAt(kVkE, 6);
  EXPECT_EQ(RunFrames(10, TitleMenu), Ended::Stopped);
  EXPECT_EQ(cursorY, 320);
  EXPECT_EQ(hardMode | easyMode, 0);
}

TEST_F(TitleTest, HiScoreReturnsToTheMenuOnItsRowAndEndEndsTheProgram) {
  PressAt(kVkDown, 2);
  PressAt(kVkA, 4);  // into the table
  PressAt(kVkA, 7);  // back out
  EXPECT_EQ(RunFrames(10, TitleMenu), Ended::Stopped);
  EXPECT_EQ(gameMode, 5);
  EXPECT_EQ(cursorY, 320);

  ResetToTitle();
  PressAt(kVkUp, 2);
  PressAt(kVkS, 4);
  EXPECT_EQ(RunFrames(10, TitleMenu), Ended::ProgramEnded);
}

TEST_F(TitleTest, TitleBackgroundLoopsOver40Rows) {
  EXPECT_EQ(RunFrames(39, TitleMenu), Ended::Stopped);
  EXPECT_EQ(scrollPos, -1681.0f);
  ResetToTitle();
  EXPECT_EQ(RunFrames(40, TitleMenu), Ended::Stopped);
  EXPECT_EQ(scrollPos, -1720.0f);
}

TEST_F(TitleTest, OnlyEarnedMedalsShowAnEmblem) {
  // An emblem sheet that paints solid green over anything.
  Surface& sheet = imgchar[18];
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < sheet.width; ++x) {
      sheet.pixels[size_t(y) * sheet.width + x] = 0x00FF00;
      sheet.pixels[size_t(y + 40) * sheet.width + x] = 0;
    }
  medals[0] = medals[1] = medals[2] = medals[4] = 1;
  medals[3] = 10;
  EXPECT_EQ(RunFrames(1, TitleMenu), Ended::Stopped);
  const double xs[kMedalCount] = {95, 145, 195, 45, 245};
  for (int i = 0; i < kMedalCount; ++i) {
    const uint32_t centre = scrmain.pixels[size_t(40) * kScreenWidth + size_t(xs[i] + 20)];
    EXPECT_EQ(centre == 0x00FF00u, i == 3) << "medal " << i;
  }
}

TEST_F(TitleTest, IntroFliesTheShipOutThenFlipsTheLogo) {
  // 135 frames of flight, then the logo: 26 frames growing to 212, 17 shrinking to 42.
  struct Case {
    uint32_t frames;
    float playerX, playerY, logo;
    uint8_t bank;  // the first of its sprite pair (the effects swap within the pair)
  };
  const Case cases[] = {
      {83, 150, 350, 0, 0},      // the climb ends at y 350
      {111, 42, 238, 0, 2},      // the drift left ends at x 42
      {135, 157, -218, 0, 4},    // the last frame of flight
      {136, 157, -218, -63, 4},  // the logo's first frame, upside down
      {161, 157, -218, 212, 4},  // fully grown
      {178, 157, -218, 42, 4},   // settled
      {179, 157, -218, 44, 4},   // the menu
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.frames);
    ResetToTitle();
    titleLogoSize = 0;
    EXPECT_EQ(RunFrames(c.frames, TitleScreen), Ended::Stopped);
    EXPECT_EQ(gameMode, 5);
    EXPECT_EQ(playerX, c.playerX);
    EXPECT_EQ(playerY, c.playerY);
    EXPECT_EQ(playerBank / 2, c.bank / 2);
    EXPECT_EQ(titleLogoSize, c.logo);
  }
}

TEST_F(TitleTest, FireSkipsTheIntroOnceReleased) {
  struct Case {
    const char* name;
    std::initializer_list<Press> presses;
    bool skipped;
  };
  const Case cases[] = {
      {"fire during the flight", {{kVkA, 10}}, true},
      {"bomb during the logo", {{kVkS, 150}}, true},
      {"fire held from the last screen", {{kVkA, 0}, {kVkA, 1}, {kVkA, 2}}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetToTitle();
    for (const Press& p : c.presses) PressAt(p.vk, p.frame);
    EXPECT_EQ(RunFrames(155, TitleScreen), Ended::Stopped);
    EXPECT_EQ(titleLogoSize == 44.0f, c.skipped) << titleLogoSize;
    EXPECT_EQ(cursorY, 290);
    EXPECT_EQ(gameMode, 5);  // the skip chooses nothing on the menu
  }
}

TEST_F(TitleTest, StartDemoPlaysTheChosenStageWithoutAShip) {
  struct Case {
    uint8_t stage, wave;
  };
  const Case cases[] = {{1, 0}, {2, 19}, {7, 119}};
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.stage));
    ResetToTitle();
    selectedStage = c.stage;
    EXPECT_EQ(RunFrames(100, StartDemo), Ended::EnteredMainLoop);
    EXPECT_EQ(gameMode, 6);
    EXPECT_EQ(stageNo, c.stage);
    EXPECT_EQ(wave, c.wave);
    EXPECT_EQ(shield, 0.0f);
    EXPECT_EQ(bombs, 0);
    EXPECT_EQ(playerY, 516.0f);
    EXPECT_EQ(inputLatch, -1);
    EXPECT_EQ(bannerTimer, 82);
  }
}

// The main loop ends a demonstration once its scroll has stood at the end for
// 50 frames: the mode turns to 8, and the next frame leaves for the title.
TEST_F(TitleTest, DemonstrationEndsFiftyFramesAfterItsScroll) {
  gameMode = 6;
  stageNo = 3;
  scrollPos = -10;
  sequenceTimer = 0;
  MainLoopPass();
  EXPECT_EQ(sequenceTimer, 0);  // still scrolling: no count

  scrollPos = 0;
  sequenceTimer = 49;
  MainLoopPass();
  EXPECT_EQ(sequenceTimer, 50);
  EXPECT_EQ(gameMode, 6);
  MainLoopPass();
  EXPECT_EQ(gameMode, 8);
  EXPECT_THROW(MainLoopPass(), MainLoopEntry);
  EXPECT_EQ(gameMode, 3);
  EXPECT_EQ(stageNo, 0);
  EXPECT_EQ(scrollPos, -1720.0f);  // the title's background opened
  EXPECT_EQ(inputLatch, 0);
}

}  // namespace
