#include <gtest/gtest.h>

#include <cstdlib>
#include <initializer_list>

#include "app/app_state.h"
#include "app/main_loop.h"
#include "app/settings.h"
#include "data/score_file.h"
#include "frontend/high_scores.h"
#include "frontend/selection.h"
#include "frontend/title.h"
#include "platform/headless/headless.h"
#include "platform/input.h"
#include "platform/keys.h"
#include "presentation/game_reset.h"
#include "tests/support/game_fixture.h"
#include "tests/support/screen_runner.h"
#include "world/world_state.h"

namespace {


void ResetToScreen(uint8_t mode) {
  ResetEverything();
  UsePrivateDefaultSettings("escape");
  joystickId = -1;
  ResetGame();
  gameMode = mode;
  cursorX = 80;
  unlockedStage = 3;
  selectedStage = 2;
}

using EscapeTest = GameTest;

TEST_F(EscapeTest, TitleEscapeMenu) {
  struct Case {
    const char* name;
    std::initializer_list<Press> presses;
    Ended ended;
    int16_t cursorY;  // the title's cursor afterwards
  };
  const Case cases[] = {
      {"Back returns to the title menu as it was",
       {{kVkDown, 2}, {kVkEscape, 4}, {kVkUp, 8}, {kVkEnter, 10}},
       Ended::Stopped,
       320},
      {"Escape again closes it", {{kVkEscape, 4}, {kVkEscape, 8}}, Ended::Stopped, 290},
      {"Quit game ends the program",
       {{kVkEscape, 4}, {kVkDown, 8}, {kVkDown, 10}, {kVkDown, 12}, {kVkA, 14}},
       Ended::ProgramEnded,
       290},
      {"Practice and its Back, then Back",
       {{kVkEscape, 4}, {kVkDown, 6}, {kVkDown, 8}, {kVkEnter, 10}, {kVkUp, 12}, {kVkEnter, 14}, {kVkDown, 16},
        {kVkDown, 18}, {kVkEnter, 20}},
       Ended::Stopped,
       290},
      {"Options and back, then Back",
       {{kVkEscape, 4},
        {kVkEnter, 8},
        {kVkEscape, 12},
        {kVkDown, 16},
        {kVkDown, 18},
        {kVkDown, 20},
        {kVkDown, 22},
        {kVkEnter, 24}},
       Ended::Stopped,
       290},
      {"the title's own items still work after it",
       {{kVkEscape, 4}, {kVkEscape, 8}, {kVkUp, 12}, {kVkA, 14}},
       Ended::ProgramEnded,
       380},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetToScreen(5);
    PressAll(c.presses);
    EXPECT_EQ(RunFrames(30, TitleMenu), c.ended);
    EXPECT_EQ(cursorY, c.cursorY);
    EXPECT_EQ(gameMode, 5);
  }
}

TEST_F(EscapeTest, EscapeLeavesTheTableAndTheSelectionAsExitDoes) {
  ResetToScreen(7);
  PressAll({{kVkEscape, 3}});
  EXPECT_EQ(RunFrames(10, HighScoreScreen), Ended::Returned);
  EXPECT_EQ(gameMode, 5);
  EXPECT_EQ(cursorY, 320);

  for (bool onStageRow : {false, true}) {
    SCOPED_TRACE(onStageRow ? "cursor on the stages" : "cursor on EXIT");
    ResetToScreen(9);
    if (onStageRow)
      PressAll({{kVkDown, 2}, {kVkEscape, 5}});
    else
      PressAll({{kVkEscape, 3}});
    EXPECT_EQ(RunFrames(10, SelectionScreen), Ended::Returned);
    EXPECT_EQ(gameMode, 5);
    EXPECT_EQ(cursorY, 350);
    EXPECT_EQ(cursorX, 80);
    EXPECT_EQ(selectedStage, 2);
  }
}

TEST_F(EscapeTest, EscapeEndsTheDemonstrationAsFireDoes) {
  ResetToScreen(6);
  stageNo = 1;
  bannerTimer = 1;
  scrollPos = -1000;
  MainLoopPass();
  EXPECT_EQ(gameMode, 6);
  headless::SetKeyDown(kVkEscape, true);
  EXPECT_THROW(MainLoopPass(), MainLoopEntry) << "left at the end of the pass, as on a fire press";
  EXPECT_EQ(gameMode, 3);
  EXPECT_EQ(stageNo, 0) << "back to the title's background";
}

}  // namespace
