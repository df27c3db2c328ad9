// The last fight of a full run, played through the real program: the final
// boss falls, the ending and staff roll play to the end, the medals of the run
// reach the score file and the title comes back.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/startup.h"
#include "data/score_file.h"
#include "enemies/wave_table.h"
#include "platform/headless/headless.h"
#include "platform/keys.h"
#include "tests/support/game_fixture.h"
#include "world/world_state.h"

namespace {

uint32_t gJumpedAt;
uint32_t gTitleAgainAt;

// Between two frames of the first game: jump straight to stage 8 with its
// boss arrived and one hit from falling, as a full run would meet it.
void JumpToTheFinalBoss(uint32_t, uint32_t to) {
  if (gJumpedAt == 0 && gameMode == 0 && stageNo == 1 && to > 4000) {
    gJumpedAt = to;
    for (int k = 0; k < kEnemySlots; ++k) enemyState[k] = 0;
    for (int k = 0; k < kBulletSlots; ++k) bulletKind[k] = 0;
    stageNo = 8;
    scrollPos = 0;
    battlePhase = 1;
    SpawnBoss();
    enemyStep[0] = 1;
    enemyY[0] = 50;
    enemyHp[0] = 1;
  }
  if (gJumpedAt != 0 && gTitleAgainAt == 0 && gameMode == 5) gTitleAgainAt = to;
}

std::vector<unsigned char> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

TEST(EndingRun, FinalBossFallsAndTheEndingAwardsAFullRunsMedals) {
  ResetEverything();
  char dir[] = "/tmp/tessivane-ending-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string folder = dir;
  {
    std::ifstream src(std::string(TESSIVANE_BUILD_DIR) + "/Qapo.map", std::ios::binary);
    std::ofstream(folder + "/Qapo.map", std::ios::binary) << src.rdbuf();
  }
  headless::SetBaseDirectory(folder);
  headless::HoldKey(kVkA, 500, 600);    // skip the title's opening
  headless::HoldKey(kVkA, 2000, 2100);  // START
  for (uint32_t t = 3000; t < 20000; t += 100) headless::HoldKey(kVkA, t, t + 50);
  gJumpedAt = gTitleAgainAt = 0;
  headless::SetClockObserver(JumpToTheFinalBoss);
  headless::SetStopTime(420000);
  EXPECT_THROW(StartUp(), headless::StopReached);

  ASSERT_NE(gJumpedAt, 0u);
  ASSERT_NE(gTitleAgainAt, 0u) << "the ending never returned to the title";
  // Light, caption, flight, pause and the 139-second staff roll.
  EXPECT_GT(gTitleAgainAt - gJumpedAt, 150000u);
  EXPECT_EQ(fullRunFlag, 1);
  EXPECT_EQ(gameMode, 5);
  const uint8_t expected[kMedalCount] = {10, 10, 1, 1, 1};
  for (int k = 0; k < kMedalCount; ++k) EXPECT_EQ(medals[k], expected[k]) << "medal " << k;

  // The boss's 30000 points rank first: the name was asked for (and the
  // dialog, left unanswered, changed nothing but the medals).
  bool askedFirstPlace = false;
  for (const auto& m : headless::Messages())
    askedFirstPlace |= m.kind == "name" && m.text == "ハイスコアです！名前を入力してください（最大６文字)";
  EXPECT_TRUE(askedFirstPlace);
  EXPECT_EQ(hiScores[0], 10000.0f);

  // The file holds them: the five medal bytes sit before the check value.
  const std::vector<unsigned char> file = ReadFile(folder + "/Qapo.sco");
  ASSERT_GE(file.size(), 78u);
  for (int k = 0; k < kMedalCount; ++k) EXPECT_EQ(file[file.size() - 9 + k], expected[k]) << "medal " << k;

  std::remove((folder + "/Qapo.sco").c_str());
  std::remove((folder + "/Qapo.map").c_str());
  std::remove(folder.c_str());
}

}  // namespace
