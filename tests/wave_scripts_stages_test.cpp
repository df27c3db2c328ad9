// End to end: every stage played by itself as its demonstration plays it,
// with the ship parked below the field, from the first wave to the end of the
// scroll; and every boss kept running for minutes of frames.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "app/app_state.h"
#include "app/main_loop.h"
#include "enemies/stage_flow.h"
#include "enemies/wave_table.h"
#include "platform/random.h"
#include "tests/support/game_fixture.h"
#include "world/effects.h"
#include "world/items.h"
#include "world/player.h"
#include "world/player_damage.h"
#include "world/shots.h"
#include "world/volleys.h"
#include "world/wave_scripts.h"
#include "world/world_state.h"

namespace {

// The world steps and the stage flow, in the main loop's order.
void PlayFrame() {
  RunWorldSteps();
  if (bannerTimer == 0) UpdateStageFlow();
}

bool AnyEnemyBusy() {
  for (int k = 0; k < kEnemySlots; ++k)
    if (enemyState[k] >= 1 && enemyState[k] <= 3) return true;
  return false;
}

bool Finite(float v) { return std::isfinite(v); }

class StagePlay : public GameTest, public ::testing::WithParamInterface<int> {};

TEST_P(StagePlay, EveryWaveLeavesOrDiesAndTheNextFollows) {
  const int stage = GetParam();
  Randomize(uint32_t(7 * stage + 1));
  gameMode = 6;
  playerX = 150;
  playerY = 516;
  shield = 3;
  stageNo = uint8_t(stage);
  scrollPos = -2545;
  wave = uint8_t(stage == 1 ? 0 : 20 * stage - 21);

  constexpr int kMaxWaveFrames = 1500;
  std::map<int, int> framesOfWave;  // wave number -> frames it was current
  int frame = 0;
  // Play the scroll, then let the last wave finish.
  while (frame < 2545 + kMaxWaveFrames) {
    PlayFrame();
    ++frame;
    ++framesOfWave[wave];
    ASSERT_LE(framesOfWave[wave], kMaxWaveFrames) << "stage " << stage << ": wave " << int(wave) << " stalls";
    for (int k = 0; k < kEnemySlots; ++k) {
      ASSERT_TRUE(Finite(enemyX[k]) && Finite(enemyY[k])) << "wave " << int(wave) << " slot " << k;
    }
    ASSERT_EQ(gameMode, 6) << "the parked ship is never hit";
    if (scrollPos >= 0 && !AnyEnemyBusy()) break;
  }
  EXPECT_EQ(scrollPos, 0) << "stage " << stage;
  EXPECT_FALSE(AnyEnemyBusy()) << "stage " << stage << ": last wave " << int(wave) << " never left";
  EXPECT_EQ(enemyState[0] == 0 || battlePhase == 0, true) << "no boss in the demonstration";
  const int first = stage == 1 ? 1 : 20 * stage - 20;
  std::printf("stage %d: waves %d..%d reached in %d frames\n", stage, first, int(wave), frame);
  EXPECT_GE(int(wave), first + 5) << "the formations follow one another";
}

INSTANTIATE_TEST_SUITE_P(Stages, StagePlay, ::testing::Range(1, 8));

// Every formation, alone, with the ship parked in different places and in
// each difficulty: it leaves the field or ends within 1500 frames.
TEST(FormationPlay, EveryFormationLeavesWhereverTheShipIs) {
  const struct { float x, y; } ships[] = {{150, 516}, {10, 420}, {300, 420}, {150, 40}, {150, 300}};
  const struct { uint8_t hard, easy; } modes[] = {{0, 0}, {1, 0}, {0, 1}};
  for (const auto& mode : modes) {
    for (const auto& ship : ships) {
      for (int w = 1; w <= 135; ++w) {
        ResetEverything();
        Randomize(uint32_t(w));
        gameMode = 6;
        hardMode = mode.hard;
        easyMode = mode.easy;
        playerX = ship.x;
        playerY = ship.y;
        shield = 3;
        stageNo = uint8_t((w + 20) / 20);
        scrollPos = -2000;
        wave = uint8_t(w);
        SpawnWave();
        int frames = 0;
        while (AnyEnemyBusy() && frames < 1500) {
          RunWorldSteps();
          ++frames;
        }
        EXPECT_LT(frames, 1500) << "wave " << w << " stalls with the ship at (" << ship.x << ", " << ship.y
                                << "), hard " << int(mode.hard) << ", easy " << int(mode.easy);
      }
    }
  }
}

class BossPlay : public GameTest, public ::testing::WithParamInterface<int> {};

TEST_P(BossPlay, KeepsToItsCycleForMinutes) {
  const int stage = GetParam();
  Randomize(uint32_t(stage));
  playerX = 150;
  playerY = 516;
  stageNo = uint8_t(stage);
  SpawnBoss();
  ASSERT_EQ(wave, 149 + stage);

  constexpr int kFrames = 7000;  // five minutes at 43 ms
  constexpr int kWindow = 300;
  int lastMove = 0, lastShot = 0;
  int longestStill = 0, longestQuiet = 0, longestHidden = 0, lastSeen = 0;
  const float size = 40 * enemyScale[0];
  float px = enemyX[0], py = enemyY[0];
  float minY = 1e9f, maxY = -1e9f, minX = 1e9f, maxX = -1e9f;
  for (int f = 1; f <= kFrames; ++f) {
    uint8_t before[kBulletSlots];
    std::copy(bulletKind, bulletKind + kBulletSlots, before);
    RunWaveBehaviour();
    bool shot = false;
    for (int b = 0; b < kBulletSlots; ++b) shot |= before[b] == 0 && bulletKind[b] != 0;
    MoveBulletsAndItems();
    ASSERT_EQ(enemyState[0], 1);
    ASSERT_TRUE(Finite(enemyX[0]) && Finite(enemyY[0]));
    if (enemyX[0] != px || enemyY[0] != py) lastMove = f;
    if (shot) lastShot = f;
    px = enemyX[0];
    py = enemyY[0];
    if (py + size > 0 && py < 460 && px + size > 0 && px < 330) lastSeen = f;
    longestStill = std::max(longestStill, f - lastMove);
    longestHidden = std::max(longestHidden, f - lastSeen);
    if (f > 400) {  // after the arrival
      longestQuiet = std::max(longestQuiet, f - lastShot);
      minY = std::min(minY, py);
      maxY = std::max(maxY, py);
      minX = std::min(minX, px);
      maxX = std::max(maxX, px);
    }
  }
  EXPECT_LT(longestStill, kWindow) << "stage " << stage << " boss froze";
  EXPECT_LT(longestQuiet, kWindow) << "stage " << stage << " boss stopped firing";
  EXPECT_LT(longestHidden, 2 * kWindow) << "stage " << stage << " boss left the field for good";
  std::printf("stage %d boss: x %.0f..%.0f, y %.0f..%.0f\n", stage, minX, maxX, minY, maxY);
}

INSTANTIATE_TEST_SUITE_P(Bosses, BossPlay, ::testing::Range(1, 9));

}  // namespace
