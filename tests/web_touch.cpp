// The web build's touch controls (platform/web/web_touch.cpp) as the game
// reads them: which keys are down on each frame for a drag, a button and a
// tap on a menu.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/input.h"
#include "platform/keys.h"
#include "platform/touch_menu.h"
#include "platform/web/web_touch.h"

extern "C" void tessivane_touch_drag_begin();
extern "C" void tessivane_touch_drag(float dx, float dy);
extern "C" void tessivane_touch_button(int button, int down);
extern "C" int tessivane_touch_tap(float x, float y);
extern "C" int tessivane_touch_question();
extern "C" int tessivane_touch_answer(int yes);

namespace {

// One frame as the game's input reading takes it (Right first): the keys the
// touch controls hold, as letters (L R U D, F fire, B bomb, P pause).
std::string Frame() {
  std::string keys;
  if (webtouch::KeyDown(kVkRight)) keys += 'R';
  if (webtouch::KeyDown(kVkLeft)) keys += 'L';
  if (webtouch::KeyDown(kVkUp)) keys += 'U';
  if (webtouch::KeyDown(kVkDown)) keys += 'D';
  if (webtouch::KeyDown(buttonKeys[0])) keys += 'F';
  if (webtouch::KeyDown(buttonKeys[1])) keys += 'B';
  if (webtouch::KeyDown(kVkPause)) keys += 'P';
  return keys;
}

std::vector<std::string> Frames(int n, bool withMenu = false) {
  std::vector<std::string> out;
  for (int i = 0; i < n; ++i) {
    if (withMenu) PublishTouchRows(80, 290, 240, 30, 4, 0);
    out.push_back(Frame());
  }
  return out;
}

class TouchControls : public ::testing::Test {
 protected:
  void SetUp() override {
    buttonKeys[0] = buttonKeys[2] = kVkA;
    buttonKeys[1] = buttonKeys[3] = kVkS;
    Frames(8);  // anything left from another test is done
  }
};

// The ship goes 6 pixels a frame: the drag becomes as many frames of the
// arrow as bring it nearest to where the finger went, and no more.
TEST_F(TouchControls, ADragHoldsTheArrowsForAsManyShipStepsAsItMoved) {
  struct Case {
    float dx, dy;
    std::vector<std::string> frames;
  };
  const Case cases[] = {
      {20, 0, {"R", "R", "R", "", ""}},        // 18 of 20 pixels
      {-9, 0, {"L", "", ""}},                  // 6, the nearer of 6 and 12
      {2, -2, {"", ""}},                       // too little to step
      {13, 13, {"RD", "RD", "", ""}},          // diagonal
      {0, 1000, std::vector<std::string>(80, "D")},  // bounded by the picture's height, 478
  };
  for (const Case& c : cases) {
    Frames(100);
    tessivane_touch_drag_begin();
    tessivane_touch_drag(c.dx, c.dy);
    EXPECT_EQ(Frames(int(c.frames.size())), c.frames) << c.dx << ", " << c.dy;
  }
  // Small movements add up: two of 2.5 pixels make one step; a new drag
  // starts afresh once the ship has come where it was told.
  Frames(100);
  tessivane_touch_drag_begin();
  tessivane_touch_drag(2.5f, 0);
  EXPECT_EQ(Frame(), "");
  tessivane_touch_drag(2.5f, 0);
  EXPECT_EQ(Frame(), "R");
  tessivane_touch_drag_begin();
  tessivane_touch_drag(2.5f, 0);
  EXPECT_EQ(Frame(), "");
  tessivane_touch_drag(10, 0);
  tessivane_touch_drag_begin();  // a finger lands while the ship is still on its way
  EXPECT_EQ(Frames(3), (std::vector<std::string>{"R", "R", ""}));
}

TEST_F(TouchControls, AMenuTakesTapsAndNotDrags) {
  Frames(1, true);
  tessivane_touch_drag(30, 0);
  EXPECT_EQ(Frames(3, true), (std::vector<std::string>{"", "", ""}));
  // Row 2 of four under the cursor on row 0: Down twice, each let go for a
  // frame, as a player presses them.
  EXPECT_EQ(tessivane_touch_tap(100, 290 + 2 * 30 + 5), 1);
  EXPECT_EQ(Frames(6, true), (std::vector<std::string>{"D", "", "D", "", "", ""}));
  // The cursor's own row: fire.
  EXPECT_EQ(tessivane_touch_tap(300, 295), 1);
  EXPECT_EQ(Frames(3, true), (std::vector<std::string>{"F", "", ""}));
  // Beside the rows, or with no menu shown: nothing.
  EXPECT_EQ(tessivane_touch_tap(10, 295), 0);
  Frames(4);
  EXPECT_EQ(tessivane_touch_tap(100, 295), 0);
  EXPECT_EQ(Frames(2), (std::vector<std::string>{"", ""}));
}

// A jump from the first row to the last of a long menu (the options screen's)
// presses Down once a row, none lost.
TEST_F(TouchControls, ALongJumpPressesDownOnceARow) {
  constexpr int kRows = kTouchItemsMax;
  Frames(4);
  PublishTouchRows(8, 20, 316, 18, kRows, 0, TouchAction::ValueRow);
  Frame();
  EXPECT_EQ(tessivane_touch_tap(100, 20 + (kRows - 1) * 18 + 5), 1);
  int downs = 0;
  for (int i = 0; i < 4 * kRows; ++i) {
    PublishTouchRows(8, 20, 316, 18, kRows, 0, TouchAction::ValueRow);
    if (Frame() == "D") ++downs;
  }
  EXPECT_EQ(downs, kRows - 1);
}

// Rows with a value: on the cursor's row the value's left half lowers it, its
// right half raises it, the rest of the row chooses it.
TEST_F(TouchControls, AValueRowTakesLeftAndRightOnItsValue) {
  struct Case {
    float x;
    std::string key;
  };
  // The row spans x 8..324: its value from 197.6, the halves meeting at 260.8.
  const Case cases[] = {{100, "F"}, {200, "L"}, {255, "L"}, {265, "R"}, {320, "R"}};
  for (const Case& c : cases) {
    Frames(4);
    PublishTouchRows(8, 58, 316, 22, 18, 3, TouchAction::ValueRow);
    Frame();
    EXPECT_EQ(tessivane_touch_tap(c.x, 58 + 3 * 22 + 5), 1);
    PublishTouchRows(8, 58, 316, 22, 18, 3, TouchAction::ValueRow);
    EXPECT_EQ(Frame(), c.key) << c.x;
  }
}

TEST_F(TouchControls, AnswerItemsPressFireOrBomb) {
  const TouchItem answers[] = {{40, 232, 252, 30, TouchAction::Fire}, {40, 262, 252, 30, TouchAction::Bomb}};
  PublishTouchItems(answers, 2, -1);
  Frame();
  EXPECT_EQ(tessivane_touch_tap(100, 270), 1);
  PublishTouchItems(answers, 2, -1);
  EXPECT_EQ(Frame(), "B");
  // The page asks the same question with its own buttons: YES is fire.
  Frames(3);
  PublishTouchItems(answers, 2, -1);
  Frame();
  EXPECT_EQ(tessivane_touch_question(), 1);
  EXPECT_EQ(tessivane_touch_answer(1), 1);
  PublishTouchItems(answers, 2, -1);
  EXPECT_EQ(Frame(), "F");
  // Answered, the question is withdrawn at once, though the screens after it
  // read no input for a while.
  PublishTouchItems(nullptr, 0, -1);
  EXPECT_EQ(tessivane_touch_question(), 0);
  // A menu of rows is no such question, and no menu takes no answer.
  Frames(8, true);
  EXPECT_EQ(tessivane_touch_question(), 0);
  EXPECT_EQ(tessivane_touch_answer(0), 0);
  Frames(8);
  EXPECT_EQ(tessivane_touch_question(), 0);
  EXPECT_EQ(Frames(2), (std::vector<std::string>{"", ""}));
}

TEST_F(TouchControls, ButtonsHoldTheirKeysAndAShortTapLastsAFrame) {
  tessivane_touch_button(1, 1);
  EXPECT_EQ(Frames(3), (std::vector<std::string>{"F", "F", "F"}));
  tessivane_touch_button(1, 0);
  EXPECT_EQ(Frame(), "");
  // Down and up between two frames: still one frame of bomb, and the query
  // of the key sees the press.
  tessivane_touch_button(2, 1);
  tessivane_touch_button(2, 0);
  EXPECT_TRUE(webtouch::QueryKey(kVkS));
  EXPECT_EQ(Frames(3), (std::vector<std::string>{"B", "", ""}));
  EXPECT_FALSE(webtouch::QueryKey(kVkS));
  // Pause presses Pause and Escape.
  tessivane_touch_button(3, 1);
  EXPECT_TRUE(webtouch::QueryKey(kVkEscape));
  EXPECT_EQ(Frame(), "P");
  tessivane_touch_button(3, 0);
  EXPECT_EQ(Frame(), "");
}

}  // namespace
