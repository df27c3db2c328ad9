#include <gtest/gtest.h>

#include <vector>

#include "platform/clock.h"
#include "platform/headless/headless.h"
#include "platform/input.h"
#include "platform/keys.h"
#include "tests/support/game_fixture.h"

namespace {

class InputTest : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    buttonKeys[0] = 65;
    buttonKeys[1] = 83;
    buttonKeys[2] = 65;
    buttonKeys[3] = 83;
  }
  void UseJoystick(uint32_t x, uint32_t y, uint32_t buttons) {
    headless::SetJoystickPresent(true);
    platform::JoyState s;
    s.x = x;
    s.y = y;
    s.buttons = buttons;
    headless::SetJoystick(0, 1000000, s);
    DetectJoystick(16384);
  }
};

TEST_F(InputTest, JoystickThresholdsFromTheDeadZone) {
  UseJoystick(32767, 32767, 0);
  EXPECT_EQ(joystickId, 0);
  EXPECT_EQ(joyLeftLimit, 16384);
  EXPECT_EQ(joyRightLimit, 65535 - 16384);
  EXPECT_EQ(joyUpLimit, 16384);
  EXPECT_EQ(joyDownLimit, 65535 - 16384);
}

TEST_F(InputTest, NoJoystickMeansKeyboardOnly) {
  DetectJoystick(16384);
  EXPECT_EQ(joystickId, -1);
  ReadInput();
  EXPECT_EQ(inputX, 0);
  EXPECT_EQ(fireBits, 0);
}

TEST_F(InputTest, JoystickAndKeyboardCombine) {
  // Joystick position and buttons, keys held, and what ReadInput makes of them.
  const uint32_t right = 65535 - 16384;  // exactly at the limit
  const struct {
    const char* what;
    uint32_t x, y, buttons;
    std::vector<int> keys;
    int16_t inputX, inputY;
    int32_t fire, bomb;
  } cases[] = {
      {"centred, nothing", 32767, 32767, 0, {}, 0, 0, 0, 0},
      {"stick exactly at the right limit", right, 32767, 0, {}, 0, 0, 0, 0},
      {"stick one past the right limit", right + 1, 32767, 0, {}, 1, 0, 0, 0},
      {"stick exactly at the up limit", 32767, 16384, 0, {}, 0, 0, 0, 0},
      {"stick up-left", 0, 0, 0, {}, -1, -1, 0, 0},
      {"buttons go to both groups", 32767, 32767, 0x6, {}, 0, 0, 6, 6},
      {"keyboard overrides the stick", 0, 65535, 0, {kVkRight, kVkUp}, 1, -1, 0, 0},
      {"opposite arrows keep the stick", 0, 32767, 0, {kVkLeft, kVkRight}, -1, 0, 0, 0},
      {"A overrides the buttons", 32767, 32767, 0x2, {kVkA}, 0, 0, 5, 2},
      {"S gives both bomb bits", 32767, 32767, 0x1, {kVkS}, 0, 0, 1, 10},
  };
  for (const auto& c : cases) {
    SetUp();  // a fresh machine for each case
    UseJoystick(c.x, c.y, c.buttons);
    for (int vk : c.keys) headless::SetKeyDown(vk, true);
    ReadInput();
    EXPECT_EQ(inputX, c.inputX) << c.what;
    EXPECT_EQ(inputY, c.inputY) << c.what;
    EXPECT_EQ(fireBits, c.fire) << c.what;
    EXPECT_EQ(bombBits, c.bomb) << c.what;
  }
}

TEST_F(InputTest, UnpluggedJoystickReadsCentred) {
  UseJoystick(0, 0, 0xF);
  headless::SetJoystickPresent(false);
  ReadInput();
  EXPECT_EQ(inputX, 0);
  EXPECT_EQ(inputY, 0);
  EXPECT_EQ(fireBits, 0);
  EXPECT_EQ(bombBits, 0);
}

TEST_F(InputTest, HeldFireKeyGivesFiveEveryFrame) {
  headless::HoldKey(kVkA, 0, 430);
  for (int frame = 0; frame < 12; ++frame) {
    ReadInput();
    EXPECT_EQ(fireBits, frame < 10 ? 5 : 0) << "frame " << frame;
    FlushInput();
    WaitMs(43);
  }
}

TEST_F(InputTest, PressBetweenSamplesSeenOnlyByDirectQuery) {
  FlushInput();
  // H and A tapped and released entirely between two frames.
  headless::HoldKey(kVkH, 10, 20);
  headless::HoldKey(kVkA, 10, 20);
  WaitMs(43);
  ReadInput();
  EXPECT_EQ(fireBits, 0);
  EXPECT_TRUE(KeyPressed(kVkH));
  EXPECT_FALSE(KeyPressed(kVkH)) << "the remembered press is forgotten by the query";
}

TEST_F(InputTest, FlushForgetsPressesAndZeroesTheGlobals) {
  headless::SetKeyDown(kVkS, true);
  ReadInput();
  EXPECT_EQ(bombBits, 10);
  headless::SetKeyDown(kVkS, false);
  headless::HoldKey(kVkP, 5, 6);
  headless::SetKeyDown(kVkCtrl, true);
  headless::SetKeyDown(kVkCtrl, false);
  WaitMs(10);
  FlushInput();
  EXPECT_EQ(bombBits, 0);
  EXPECT_EQ(fireBits | inputX | inputY, 0);
  EXPECT_FALSE(KeyPressed(kVkP));
  EXPECT_FALSE(KeyPressed(kVkCtrl));
}

TEST_F(InputTest, HeldKeyStaysPressedThroughQueries) {
  headless::SetKeyDown(kVkNum8, true);
  FlushInput();
  EXPECT_TRUE(KeyPressed(kVkNum8));
  EXPECT_TRUE(KeyPressed(kVkNum8));
  headless::SetKeyDown(kVkNum8, false);
  EXPECT_FALSE(KeyPressed(kVkNum8));
}

}  // namespace
