// A whole round through the front end, from start-up on the headless machine:
// title, the selection screen, a demonstration left with fire, the title
// again, and a game started with "START".
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/startup.h"
#include "platform/headless/headless.h"
#include "platform/keys.h"
#include "tests/support/game_fixture.h"
#include "world/world_state.h"

namespace {

std::vector<int> modesSeen;

void NoteMode(uint32_t, uint32_t) {
  if (modesSeen.empty() || modesSeen.back() != gameMode) modesSeen.push_back(gameMode);
}

void Press(int vk, uint32_t at) { headless::HoldKey(vk, at, at + 60); }

namespace fs = std::filesystem;

// A fresh machine with the map beside the program, in a folder of its own.
class FrontEndRound : public ::testing::Test {
 protected:
  // One folder per process: CTest runs the cases of this file side by side.
  fs::path dir = fs::temp_directory_path() / ("tessivane_frontend_round_" + std::to_string(getpid()));
  void SetUp() override {
    ResetEverything();
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::copy_file(fs::path(TESSIVANE_BUILD_DIR) / "Qapo.map", dir / "Qapo.map");
    headless::SetBaseDirectory(dir.string());
  }
  void TearDown() override { fs::remove_all(dir); }
};

TEST_F(FrontEndRound, TitleDemonstrationTitleGame) {
  modesSeen.clear();
  headless::SetClockObserver(NoteMode);
  Press(kVkA, 1000);     // skip the intro
  Press(kVkDown, 2000);  // "HISCORE"
  Press(kVkDown, 2300);  // "DEMO"
  Press(kVkA, 2600);     // the selection screen
  Press(kVkDown, 3000);  // the stage row (stage 1)
  Press(kVkA, 3400);     // its demonstration
  Press(kVkS, 9000);     // leave it
  Press(kVkA, 14000);    // skip the intro
  Press(kVkA, 15000);    // "START"
  headless::SetStopTime(20000);
  EXPECT_THROW(StartUp(), headless::StopReached);

  // (Start-up's mode 3 hands over to the title within its first pass.)
  const std::vector<int> expected = {5, 9, 6, 8, 3, 5, 0};
  EXPECT_EQ(modesSeen, expected);
  EXPECT_EQ(stageNo, 1);
  EXPECT_EQ(fullRunFlag, 1);
  EXPECT_EQ(hardMode | easyMode, 0);
}

TEST_F(FrontEndRound, EndLeavesWithTheScreenSaverBack) {
  headless::SetScreenSaver(true);
  Press(kVkA, 1000);   // skip the intro
  Press(kVkUp, 2000);  // "END"
  Press(kVkS, 2500);
  headless::SetStopTime(5000);
  EXPECT_THROW(StartUp(), headless::ProcessEnded);
  EXPECT_GE(headless::Clock(), 2500u);
  EXPECT_TRUE(platform::IsScreenSaverEnabled());
}

}  // namespace
