#include "frontend/options_screen.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "app/settings.h"
#include "frontend/overlay_menu.h"
#include "platform/headless/headless.h"
#include "platform/input.h"
#include "platform/keys.h"
#include "platform/sound_effects.h"
#include "tests/support/game_fixture.h"
#include "tests/support/screen_runner.h"

namespace {

class OptionsTest : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    UsePrivateDefaultSettings("options");
    joystickId = -1;
  }
};

// Down `rows` times from the first row, a press every other frame from frame 2.
std::vector<Press> DownTo(int rows) {
  std::vector<Press> presses;
  for (int i = 0; i < rows; ++i) presses.push_back({kVkDown, uint32_t(2 + 2 * i)});
  return presses;
}

Ended RunOptions(const std::vector<Press>& presses, uint32_t frames) {
  for (const Press& p : presses) PressAt(p.vk, p.frame);
  return RunFrames(frames, RunOptionsScreen);
}

std::vector<std::string> SoundNames() {
  std::vector<std::string> names;
  for (const headless::SoundEffectRecord& r : headless::SoundEffects()) names.push_back(SoundEffectName(r.effect));
  return names;
}

TEST_F(OptionsTest, WaitingForAKeyEscapeCancelsAndOtherKeysBindWithoutSharing) {
  struct Case {
    const char* name;
    SettingId row;
    int key;  // pressed while the row waits for a key
    SettingId checked;
    int32_t expected;
    Ended ended;
  };
  const Case cases[] = {
      {"Escape cancels the fire key's wait", kSettingFireKey, kVkEscape, kSettingFireKey, kVkA, Ended::Stopped},
      {"Escape cancels the bomb key's wait", kSettingBombKey, kVkEscape, kSettingBombKey, kVkS, Ended::Stopped},
      {"the pause key may be Escape", kSettingPauseKey, kVkEscape, kSettingPauseKey, kVkEscape, Ended::Stopped},
      {"a key another action holds is swapped", kSettingFireKey2, kVkS, kSettingBombKey, kVkZ, Ended::Stopped},
      {"a free key is bound", kSettingBombKey2, 'J', kSettingBombKey2, 'J', Ended::Stopped},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetEverything();
    UsePrivateDefaultSettings("options");
    joystickId = -1;
    if (c.row == kSettingPauseKey) ChangeSetting(kSettingPauseKey, kVkP);
    std::vector<Press> presses = DownTo(c.row);
    const uint32_t at = 2 + 2 * uint32_t(c.row);
    presses.push_back({kVkEnter, at + 2});
    presses.push_back({c.key, at + 6});
    EXPECT_EQ(RunOptions(presses, at + 14), c.ended) << "the screen stays open";
    EXPECT_EQ(Setting(c.checked), c.expected);
  }
}

// The score server's row asks for the address in the name dialog and keeps
// only an http:// one; the online scores' row steps as any choice does.
TEST_F(OptionsTest, TheScoreServerRowAsksForAnAddress) {
  struct Case {
    const char* typed;
    bool ok;  // OK pressed (else the dialog was closed)
    const char* kept;
  };
  const Case cases[] = {
      {"http://scores.example:8081/", true, "http://scores.example:8081/"},
      {"scores.example", true, "http://127.0.0.1:8081"},
      {"http://cancelled.example", false, "http://127.0.0.1:8081"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    ResetEverything();
    UsePrivateDefaultSettings("options");
    joystickId = -1;
    if (c.ok) {
      headless::QueueName(c.typed);
    } else {
      headless::QueueNameCancel();
    }
    std::vector<Press> presses = DownTo(kSettingOnlineScores);
    const uint32_t at = 2 + 2 * uint32_t(kSettingOnlineScores);
    presses.push_back({kVkRight, at + 2});
    presses.push_back({kVkDown, at + 4});
    presses.push_back({kVkEnter, at + 6});
    EXPECT_EQ(RunOptions(presses, at + 14), Ended::Stopped);
    EXPECT_EQ(Setting(kSettingOnlineScores), 1);
    EXPECT_EQ(SettingString(kSettingScoreServer), c.kept);
    ASSERT_EQ(headless::Messages().size(), 1u);
    EXPECT_EQ(headless::Messages()[0].kind, "name");
  }
}

TEST_F(OptionsTest, EscapeLeavesTheScreenOnceTheWaitIsOver) {
  std::vector<Press> presses = DownTo(kSettingFireKey);
  const uint32_t at = 2 + 2 * uint32_t(kSettingFireKey);
  presses.push_back({kVkEnter, at + 2});
  presses.push_back({kVkEscape, at + 6});   // cancels the wait
  presses.push_back({kVkEscape, at + 10});  // leaves
  EXPECT_EQ(RunOptions(presses, at + 20), Ended::Returned);
  EXPECT_EQ(Setting(kSettingFireKey), kVkA);
}

TEST_F(OptionsTest, TheCursorSoundsAndTheEffectsVolumePlaysASampleAtItsNewLevel) {
  // Down to the effects volume, one step down, down once more, up, then Back.
  EXPECT_EQ(RunOptions({{kVkDown, 2}, {kVkLeft, 4}, {kVkDown, 6}, {kVkUp, 8}, {kVkEscape, 10}}, 20),
            Ended::Returned);
  EXPECT_EQ(Setting(kSettingEffectsVolume), 5);
  EXPECT_EQ(SoundNames(), (std::vector<std::string>{"menu-move", "shot", "menu-move", "menu-move"}));
}

// The touch controls' rows follow the others where the back-end has touch
// controls, and are not there elsewhere: Up from the first row wraps to Back.
TEST_F(OptionsTest, TouchRowsAreOfferedOnlyWithTouchControlsAndTellTheBackEnd) {
  // Without touch controls, three rows up from the first is Reduce flashing
  // (five where the online scores' two rows follow it).
  std::vector<Press> presses;
  uint32_t at = 2;
  for (int i = 0; i < (platform::CanSendReplays() ? 5 : 3); ++i, at += 2) presses.push_back({kVkUp, at});
  presses.push_back({kVkRight, at});
  presses.push_back({kVkEscape, at + 2});
  EXPECT_EQ(RunOptions(presses, at + 12), Ended::Returned);
  EXPECT_EQ(Setting(kSettingReduceFlashing), 1);
  EXPECT_EQ(Setting(kSettingTouchDrag), 1);

  ResetEverything();
  UsePrivateDefaultSettings("options");
  joystickId = -1;
  headless::SetTouchControlsPresent(true);
  // Up to the drag (Back, Reset, drag): faster; up to the size: smaller;
  // up to the side: Enter steps it to the left; Escape leaves.
  EXPECT_EQ(RunOptions({{kVkUp, 2}, {kVkUp, 4}, {kVkUp, 6}, {kVkRight, 8}, {kVkUp, 10}, {kVkLeft, 12},
                        {kVkUp, 14}, {kVkEnter, 16}, {kVkEscape, 18}},
                       30),
            Ended::Returned);
  EXPECT_EQ(Setting(kSettingTouchDrag), 2);
  EXPECT_EQ(Setting(kSettingTouchSize), kTouchSizeSmall);
  EXPECT_EQ(Setting(kSettingTouchSide), kTouchSideLeft);
  const headless::TouchControls& told = headless::TouchControlsSet();
  EXPECT_TRUE(told.leftHanded);
  EXPECT_EQ(told.size, kTouchSizeSmall);
  EXPECT_EQ(told.dragPercent, 150);
}

TEST_F(OptionsTest, ThePauseAndEscapeMenusSoundAsTheTitleMenuDoes) {
  static const char* const kItems[] = {"One", "Two", "Three"};
  PressAll({{kVkDown, 2}, {kVkDown, 4}, {kVkUp, 6}, {kVkEnter, 8}});
  int chosen = -2;
  EXPECT_EQ(RunFrames(20, [&] { chosen = RunOverlayMenu("MENU", kItems, 3, 0); }), Ended::Returned);
  EXPECT_EQ(chosen, 1);
  EXPECT_EQ(SoundNames(), (std::vector<std::string>{"menu-move", "menu-move", "menu-move", "menu-confirm"}));
}

}  // namespace
