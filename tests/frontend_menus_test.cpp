#include <gtest/gtest.h>

#include <initializer_list>

#include "app/app_state.h"
#include "app/main_loop.h"
#include "data/score_file.h"
#include "frontend/high_scores.h"
#include "frontend/selection.h"
#include "platform/blit.h"
#include "platform/headless/headless.h"
#include "platform/input.h"
#include "platform/keys.h"
#include "platform/surface.h"
#include "presentation/game_reset.h"
#include "presentation/renderer.h"
#include "tests/support/game_fixture.h"
#include "tests/support/screen_runner.h"
#include "world/world_state.h"

namespace {


// Reached from the title menu: the world reset, the menu's cursor column.
void ResetToScreen(uint8_t mode) {
  ResetEverything();
  buttonKeys[0] = buttonKeys[2] = kVkA;
  buttonKeys[1] = buttonKeys[3] = kVkS;
  joystickId = -1;
  ResetGame();
  gameMode = mode;
  cursorX = 80;
  unlockedStage = 1;
  selectedStage = 1;
}

class SelectionTest : public GameTest {
 protected:
  void SetUp() override { ResetToScreen(9); }
};

TEST_F(SelectionTest, StageCursorWrapsWithinTheUnlockedStages) {
  struct Case {
    const char* name;
    uint8_t unlocked, selected;
    std::initializer_list<Press> presses;
    uint8_t selectedAfter;
  };
  // Down (frame 2) brings the cursor from "EXIT" to the stage row.
  const Case cases[] = {
      {"one stage: right stays", 1, 1, {{kVkDown, 2}, {kVkRight, 4}}, 1},
      {"one stage: left stays", 1, 1, {{kVkDown, 2}, {kVkLeft, 4}}, 1},
      {"right from the last wraps to 1", 4, 4, {{kVkDown, 2}, {kVkRight, 4}}, 1},
      {"left from 1 wraps to the last", 4, 4, {{kVkDown, 2}, {kVkRight, 4}, {kVkNum4, 6}}, 4},
      {"right steps up", 4, 2, {{kVkDown, 2}, {kVkNum6, 4}}, 3},
      {"held right steps once", 4, 2, {{kVkDown, 2}, {kVkRight, 4}, {kVkRight, 5}}, 3},
      {"left and right on EXIT do nothing", 4, 2, {{kVkLeft, 2}, {kVkRight, 4}}, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetToScreen(9);
    unlockedStage = c.unlocked;
    selectedStage = c.selected;
    PressAll(c.presses);
    EXPECT_EQ(RunFrames(9, SelectionScreen), Ended::Stopped);
    EXPECT_EQ(selectedStage, c.selectedAfter);
    EXPECT_EQ(cursorX, cursorY == 320 ? 40 * c.selectedAfter - 12 : 80);
  }
}

TEST_F(SelectionTest, UpOrDownSwitchesBetweenTheTwoRows) {
  struct Case {
    std::initializer_list<Press> presses;
    int16_t cursorX, cursorY;
  };
  const Case cases[] = {
      {{}, 80, 380},  // the cursor starts on "EXIT"
      {{{kVkUp, 2}}, 28, 320},
      {{{kVkUp, 2}, {kVkNum8, 4}}, 80, 380},
      {{{kVkUp, 2}, {kVkNum8, 4}, {kVkNum2, 6}}, 28, 320},
  };
  for (const Case& c : cases) {
    ResetToScreen(9);
    cursorY = 290;
    unlockedStage = 3;
    PressAll(c.presses);
    EXPECT_EQ(RunFrames(8, SelectionScreen), Ended::Stopped);
    EXPECT_EQ(cursorX, c.cursorX);
    EXPECT_EQ(cursorY, c.cursorY);
  }
}

// The text raster comes with the platform; without it nothing is printed.
bool TextIsRasterised() {
  ClearSurface(scrmain);
  PrintText(0, 0, 19, 15, "1");
  bool drawn = false;
  for (int i = 0; i < 40 * kScreenWidth; ++i) drawn = drawn || scrmain.pixels[i] != 0;
  ClearSurface(scrmain);
  return drawn;
}

// Whether any pixel of the box has exactly the colour.
bool BoxHasColour(int x0, int y0, int w, int h, uint32_t colour) {
  for (int y = y0; y < y0 + h; ++y)
    for (int x = x0; x < x0 + w; ++x)
      if (scrmain.pixels[size_t(y) * kScreenWidth + x] == colour) return true;
  return false;
}

TEST_F(SelectionTest, StagesAboveTheUnlockedOneAreGrey) {
  if (!TextIsRasterised()) GTEST_SKIP() << "no text raster in this build";
  unlockedStage = 3;
  EXPECT_EQ(RunFrames(1, SelectionScreen), Ended::Stopped);
  for (int n = 1; n <= 7; ++n) {
    const bool grey = n > 3;
    EXPECT_EQ(BoxHasColour(40 * n, 330, 30, 30, kTextColours[7]), grey) << n;
    EXPECT_EQ(BoxHasColour(40 * n, 330, 30, 30, kTextColours[15]), !grey) << n;
  }
}

TEST_F(SelectionTest, FireOnExitReturnsToTheMenuOnceReleased) {
  PressAll({{kVkA, 0}, {kVkA, 1}, {kVkA, 2}, {kVkS, 4}});
  EXPECT_EQ(RunFrames(20, SelectionScreen), Ended::Returned);
  EXPECT_EQ(headless::Clock(), 4 * kFrame);  // not before the press of frame 4
  EXPECT_EQ(gameMode, 5);
  EXPECT_EQ(cursorY, 350);
  EXPECT_EQ(inputLatch, -1);
}

TEST_F(SelectionTest, PlayKeyStartsFromTheChosenStageOnlyOnTheStageRow) {
  struct Case {
    const char* name;
    uint8_t selected;
    std::initializer_list<Press> presses;
    Ended ended;
    uint8_t wave, fullRun;
  };
  const Case cases[] = {
      {"P on EXIT", 3, {{kVkP, 2}}, Ended::Stopped, 0, 0},
      {"P on stage 1", 1, {{kVkDown, 2}, {kVkP, 4}}, Ended::EnteredMainLoop, 0, 1},
      {"P on stage 3", 3, {{kVkDown, 2}, {kVkP, 4}}, Ended::EnteredMainLoop, 39, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetToScreen(9);
    unlockedStage = 4;
    selectedStage = c.selected;
    fullRunFlag = 1;
    PressAll(c.presses);
    ASSERT_EQ(RunFrames(60, SelectionScreen), c.ended);
    if (c.ended == Ended::Stopped) {
      EXPECT_EQ(gameMode, 9);
      EXPECT_EQ(cursorY, 380);
      continue;
    }
    EXPECT_EQ(gameMode, 0);
    EXPECT_EQ(stageNo, c.selected);
    EXPECT_EQ(wave, c.wave);
    EXPECT_EQ(fullRunFlag, c.fullRun);
    EXPECT_EQ(playerY, 350.0f);
  }
}

TEST_F(SelectionTest, FireOnAStageStartsItsDemonstration) {
  unlockedStage = 5;
  selectedStage = 5;
  PressAll({{kVkDown, 2}, {kVkA, 4}});
  ASSERT_EQ(RunFrames(60, SelectionScreen), Ended::EnteredMainLoop);
  EXPECT_EQ(gameMode, 6);
  EXPECT_EQ(stageNo, 5);
  EXPECT_EQ(wave, 79);
}

class HighScoreTest : public GameTest {
 protected:
  void SetUp() override { ResetToScreen(7); }
};

TEST(FormatScore, AtLeastSixDigitsOfWholePoints) {
  const struct {
    double points;
    const char* text;
  } cases[] = {{0, "000000"}, {1234, "001234"}, {999999, "999999"}, {1234567, "1234567"}, {12.5, "000012"}};
  for (const auto& c : cases) EXPECT_EQ(FormatScore(c.points), c.text) << c.points;
}

TEST_F(HighScoreTest, HStartsTheHardestGameOnceTheLatchIsFree) {
  struct Case {
    const char* name;
    std::initializer_list<Press> presses;
    Ended ended;
  };
  const Case cases[] = {
      {"H", {{kVkH, 2}}, Ended::EnteredMainLoop},
      {"H held from the menu", {{kVkH, 0}, {kVkH, 1}, {kVkH, 2}}, Ended::Stopped},
      {"H while fire is still held", {{kVkA, 0}, {kVkA, 1}, {kVkA, 2}, {kVkH, 2}}, Ended::Stopped},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetToScreen(7);
    easyMode = 1;
    fullRunFlag = 0;
    PressAll(c.presses);
    ASSERT_EQ(RunFrames(c.ended == Ended::Stopped ? 3 : 60, HighScoreScreen), c.ended);
    if (c.ended == Ended::Stopped) {
      EXPECT_EQ(gameMode, 7);
      EXPECT_EQ(hardMode | revengeFire, 0);
      continue;
    }
    EXPECT_EQ(gameMode, 0);
    EXPECT_EQ(stageNo, 1);
    EXPECT_EQ(hardMode, 1);
    EXPECT_EQ(revengeFire, 1);
    EXPECT_EQ(easyMode, 0);
    EXPECT_EQ(fullRunFlag, 1);
    EXPECT_EQ(wave, 0);
  }
}

TEST_F(HighScoreTest, FireReturnsToTheMenuOnItsRowOnceReleased) {
  PressAll({{kVkA, 0}, {kVkA, 1}, {kVkS, 3}});
  EXPECT_EQ(RunFrames(20, HighScoreScreen), Ended::Returned);
  EXPECT_EQ(headless::Clock(), 3 * kFrame);
  EXPECT_EQ(gameMode, 5);
  EXPECT_EQ(cursorY, 320);
}

TEST_F(HighScoreTest, ShowsEveryPlaceAndScoreEvenWithAnEmptyName) {
  if (!TextIsRasterised()) GTEST_SKIP() << "no text raster in this build";
  for (int i = 0; i < kHiScoreEntries; ++i) {
    hiScores[i] = float(50000 - 10000 * i);
    hiNames[i] = i == 2 ? "" : "ABCDEF";
  }
  EXPECT_EQ(RunFrames(1, HighScoreScreen), Ended::Stopped);
  for (int i = 0; i < kHiScoreEntries; ++i) {
    const int y = 180 + 35 * i;
    EXPECT_TRUE(BoxHasColour(29, y, 25, 25, kTextColours[15])) << "place " << i;
    EXPECT_TRUE(BoxHasColour(220, y, 100, 25, kTextColours[15])) << "score " << i;
    EXPECT_EQ(BoxHasColour(59, y, 150, 25, kTextColours[15]), i != 2) << "name " << i;
  }
}

}  // namespace
