#include <gtest/gtest.h>

#include <cstdlib>
#include <initializer_list>

#include "app/settings.h"
#include "platform/headless/headless.h"
#include "platform/input.h"
#include "platform/keys.h"
#include "tests/support/game_fixture.h"

namespace {

class ControlsTest : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    UsePrivateDefaultSettings("controls");
    joystickId = -1;
  }
};

struct Binding {
  SettingId id;
  int32_t value;
};

// What ReadInput makes of keys and pad buttons under the player's bindings.
TEST_F(ControlsTest, BoundKeysAndButtonsFireAndBomb) {
  struct Case {
    const char* name;
    std::initializer_list<Binding> bindings;
    std::initializer_list<int> keys;
    uint32_t pad;
    int32_t fireBits, bombBits;
  };
  const Case cases[] = {
      {"A fires as the game always read it", {}, {kVkA}, 0, 5, 0},
      {"S bombs as the game always read it", {}, {kVkS}, 0, 0, 10},
      {"Z fires like A", {}, {kVkZ}, 0, 5, 0},
      {"X bombs like S", {}, {kVkX}, 0, 0, 10},
      {"A and Z together read as A", {}, {kVkA, kVkZ}, 0, 5, 0},
      {"J bound to fire", {{kSettingFireKey, 'J'}}, {'J'}, 0, 5, 0},
      {"A no longer fires once J is bound", {{kSettingFireKey, 'J'}}, {kVkA}, 0, 0, 0},
      {"Space as the second bomb key", {{kSettingBombKey2, kVkSpace}}, {kVkSpace}, 0, 0, 10},
      {"X does nothing once replaced", {{kSettingBombKey2, kVkSpace}}, {kVkX}, 0, 0, 0},
      {"pad button 1 fires (the pad's own mask)", {}, {}, 1u, 1, 1},
      {"pad buttons 2 and 4 (the pad's own mask)", {}, {}, 0xAu, 0xA, 0xA},
      {"pad Start does not fire", {}, {}, 1u << 4, 0, 0},
      {"pad fire on the right shoulder", {{kSettingPadFire, 7}}, {}, 1u << 7, 1, 1},
      {"pad button 1 idle once fire moved", {{kSettingPadFire, 7}}, {}, 1u, 0, 0},
      {"pad bomb on Back", {{kSettingPadBomb, 5}}, {}, 1u << 5, 2, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetEverything();
    SetDefaultSettings();
    for (const Binding& b : c.bindings) ChangeSetting(b.id, b.value);
    ApplyAllSettings();
    joystickId = -1;
    if (c.pad) {
      headless::SetJoystickPresent(true);
      platform::JoyState pad;
      pad.buttons = c.pad;
      headless::SetJoystick(0, 1000, pad);
      DetectJoystick(16384);
    }
    for (int vk : c.keys) headless::SetKeyDown(vk, true);
    ReadInput();
    EXPECT_EQ(fireBits, c.fireBits);
    EXPECT_EQ(bombBits, c.bombBits);
    EXPECT_EQ(buttonKeys[0], buttonKeys[2]) << "the fire key fills both of its slots";
    EXPECT_EQ(buttonKeys[1], buttonKeys[3]);
  }
}

TEST_F(ControlsTest, ButtonHeldThroughAMenuCountsOnlyAfterItsRelease) {
  headless::SetKeyDown(kVkA, true);
  HoldBackHeldButtons();
  ReadInput();
  EXPECT_EQ(fireBits, 0);
  headless::SetKeyDown(kVkS, true);  // a fresh press of the other button acts
  ReadInput();
  EXPECT_EQ(bombBits, 10);
  headless::SetKeyDown(kVkA, false);
  ReadInput();
  headless::SetKeyDown(kVkA, true);
  ReadInput();
  EXPECT_EQ(fireBits, 5);
}

}  // namespace
