#include "enemies/stage_flow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/main_loop.h"
#include "data/map_file.h"
#include "platform/headless/headless.h"
#include "platform/music.h"
#include "platform/surface.h"
#include "tests/support/game_fixture.h"
#include "world/world_state.h"

namespace {

class StageFlow : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    stageNo = 1;
    scrollPos = -2545;
    wave = 0;
    gameMode = 0;
  }
  // Runs the stage flow as the main loop does; the end-of-stage screens may
  // leave by entering the main loop afresh.
  static void Frame() {
    try {
      UpdateStageFlow();
    } catch (const MainLoopEntry&) {
    }
  }
  static void Frames(int n) {
    for (int i = 0; i < n; ++i) Frame();
  }
  // The scroll has ended and the field is empty: the boss is next.
  static void ScrollEnded(uint8_t stage) {
    stageNo = stage;
    scrollPos = 0;
    battlePhase = 0;
    for (int k = 0; k < kEnemySlots; ++k) enemyState[k] = 0;
  }
};

TEST_F(StageFlow, FirstFreeFrameSpawnsTheNextWave) {
  Frame();
  EXPECT_EQ(wave, 1);
  EXPECT_EQ(loopSlot, kEnemySlots);
  for (int k = 0; k < 20; ++k) EXPECT_EQ(enemyState[k], 1) << k;
  // While the wave lives nothing more happens.
  Frame();
  EXPECT_EQ(wave, 1);
}

TEST_F(StageFlow, NothingSpawnsWhileBusyOrFlashing) {
  struct Case {
    const char* what;
    int slot;
    uint8_t state, bomb;
    int busySlot;  // where the busy check stops
  };
  const Case cases[] = {
      {"exploding, growing", 7, 2, 0, 7},
      {"exploding, shrinking", 25, 3, 0, 25},
      {"alive", 0, 1, 0, 0},
      {"bomb ring", 0, 0, 1, kEnemySlots},
      {"bomb flash", 0, 0, 2, kEnemySlots},
      {"ending mark", 0, 12, 0, kEnemySlots},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    enemyState[c.slot] = c.state;
    bombPhase = c.bomb;
    Frame();
    EXPECT_EQ(wave, 0);
    EXPECT_EQ(loopSlot, c.busySlot);
  }
  // A destroyed boss (state 4) and a finished flash (phase 3) hold nothing back.
  SetUp();
  enemyState[0] = 4;
  bombPhase = 3;
  Frame();
  EXPECT_EQ(wave, 1);
}

TEST_F(StageFlow, EmptyNumbersPassOneAFrameAndTheCounterHoldsAt255) {
  wave = 17;
  Frame();  // 18: no formation
  EXPECT_EQ(wave, 18);
  EXPECT_EQ(enemyState[0], 0);
  Frame();
  EXPECT_EQ(wave, 19);
  Frame();  // 20: the first formation of stage 2
  EXPECT_EQ(wave, 20);
  EXPECT_EQ(enemyState[0], 1);

  SetUp();
  wave = 254;
  Frames(3);
  EXPECT_EQ(wave, 255);
  for (int k = 0; k < kEnemySlots; ++k) EXPECT_EQ(enemyState[k], 0);
}

TEST_F(StageFlow, BossWaitsForTheWaveThen45FramesThenTheSmallBullets) {
  ScrollEnded(1);
  wave = 9;
  enemyState[3] = 1;  // the last wave still lives
  Frames(100);
  EXPECT_EQ(sequenceTimer, 0);
  EXPECT_EQ(wave, 9);

  enemyState[3] = 0;
  bulletKind[30] = 1;  // small bullet: holds the boss back
  bulletKind[31] = 3;  // bouncing bullet: does not
  bulletKind[60] = 1;  // beyond slot 50: does not
  Frames(44);
  EXPECT_EQ(sequenceTimer, 44);
  EXPECT_EQ(battlePhase, 0);
  Frames(10);
  EXPECT_EQ(battlePhase, 0);
  EXPECT_EQ(enemyState[0], 0);

  bulletKind[30] = 0;
  Frame();
  EXPECT_EQ(battlePhase, 1);
  EXPECT_EQ(sequenceTimer, 0);
  EXPECT_EQ(wave, 150);
  EXPECT_EQ(enemyState[0], 1);
  EXPECT_EQ(enemyHp[0], 240);
  // The living boss stops the flow.
  Frames(10);
  EXPECT_EQ(sequenceTimer, 0);
}

TEST_F(StageFlow, NoBossInTheDemonstration) {
  for (uint8_t mode : {6, 8}) {
    SetUp();
    ScrollEnded(2);
    gameMode = mode;
    Frames(60);
    EXPECT_EQ(sequenceTimer, 0) << int(mode);
    EXPECT_EQ(enemyState[0], 0) << int(mode);
  }
}

TEST_F(StageFlow, StageEightHasOnlyItsScrollAndItsBoss) {
  stageNo = 8;
  scrollPos = -1020;
  wave = 139;
  Frames(50);
  EXPECT_EQ(wave, 139);
  EXPECT_EQ(sequenceTimer, 0);
  for (int k = 0; k < kEnemySlots; ++k) EXPECT_EQ(enemyState[k], 0);

  scrollPos = 0;
  Frames(45);
  EXPECT_EQ(wave, 157);
  EXPECT_EQ(enemyKind[0], 9);
  EXPECT_EQ(enemyHp[0], 550);
  EXPECT_EQ(battlePhase, 1);
}

// The boss tune replaces the stage tune at once, without the priming tune.
TEST_F(StageFlow, BossTuneIsSwitchedWithoutPriming) {
  for (uint8_t stage : {1, 7, 8}) {
    SetUp();
    ScrollEnded(stage);
    MusicOpen("stage.mid");
    const size_t before = headless::MusicCommands().size();
    if (before == 0) GTEST_SKIP() << "the music layer does not reach the device yet";
    Frames(45);
    ASSERT_EQ(battlePhase, 1);
    const std::vector<std::string>& all = headless::MusicCommands();
    const std::vector<std::string> tail(all.begin() + long(before), all.end());
    const std::string tune = stage == 8 ? "fight6.mid" : "m-fight.mid";
    // stop, close, then the one tune opened (the device may close again on
    // opening) and played; no priming tune in between.
    ASSERT_GE(tail.size(), 4u) << int(stage);
    EXPECT_EQ(tail.front(), "stop");
    EXPECT_EQ(tail[1], "close");
    EXPECT_EQ(tail.back(), "play");
    std::vector<std::string> opened;
    for (const std::string& c : tail)
      if (c.rfind("open ", 0) == 0) opened.push_back(c);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].substr(opened[0].size() - tune.size()), tune);
    EXPECT_EQ(std::count(tail.begin(), tail.end(), std::string("play")), 1);
  }
}

class BossLight : public StageFlow {
 protected:
  // A destroyed boss of scale 5 at (70, 50): the light reaches 2(95 + 50) =
  // 290 down and 2(95 + 70) = 330 across.
  void Destroyed(uint8_t stage) {
    ScrollEnded(stage);
    battlePhase = 1;
    bombPhase = 3;
    enemyState[0] = 4;
    enemyScale[0] = 5;
    enemyX[0] = 70;
    enemyY[0] = 50;
  }
};

TEST_F(BossLight, GrowsDownThenAcrossThenEndsTheStage) {
  Destroyed(3);
  Frames(100);  // the explosions
  EXPECT_EQ(sequenceTimer, 100);
  EXPECT_EQ(bossLightH, 0);
  EXPECT_EQ(bossLightW, 0);

  Frame();
  EXPECT_EQ(bossLightH, 10);
  EXPECT_EQ(bossLightW, 2);
  Frames(27);
  EXPECT_EQ(bossLightH, 280);
  Frame();  // crosses the reach: 10 + 5
  EXPECT_EQ(bossLightH, 295);
  Frame();
  EXPECT_EQ(bossLightH, 300);
  Frames(32);  // 5 a frame until it is 460 tall and its top above the field
  EXPECT_EQ(bossLightH, 460);
  EXPECT_EQ(bossLightW, 2);

  Frame();
  EXPECT_EQ(bossLightH, 460);
  EXPECT_EQ(bossLightW, 12);
  Frames(31);
  EXPECT_EQ(bossLightW, 322);
  Frame();
  EXPECT_EQ(bossLightW, 337);
  Frames(4);
  EXPECT_EQ(bossLightW, 357);  // its left edge is still inside the field
  Frame();
  EXPECT_EQ(bossLightW, 362);
  EXPECT_EQ(bombPhase, 3);
  EXPECT_EQ(sequenceTimer, 200);

  Frame();  // covers the field: the stage ends
  EXPECT_EQ(bombPhase, 0);
}

TEST_F(BossLight, TimerJumpsBackTo150AndTheLightGoesOn) {
  Destroyed(2);
  sequenceTimer = 10000;
  bossLightH = 100;
  Frame();
  EXPECT_EQ(sequenceTimer, 150);
  EXPECT_EQ(bossLightH, 110);
  Frame();
  EXPECT_EQ(sequenceTimer, 151);
  EXPECT_EQ(bossLightH, 120);
}

TEST_F(BossLight, StageEightClearsBouncingBulletsBeforeTheEnding) {
  Destroyed(8);
  sequenceTimer = 200;
  bossLightH = 460;
  bossLightW = 362;
  bulletKind[0] = 3;
  bulletKind[80] = 3;
  bulletKind[5] = 1;
  bulletKind[6] = 2;
  Frame();
  EXPECT_EQ(bombPhase, 0);
  EXPECT_EQ(bulletKind[0], 0);
  EXPECT_EQ(bulletKind[80], 0);
  EXPECT_EQ(bulletKind[5], 1);
  EXPECT_EQ(bulletKind[6], 2);
}

// A sheet-9 tile painted in one colour.
void PaintTile(int tx, int ty, uint32_t colour) {
  Surface& sheet = imgchar[9];
  for (int y = ty; y < ty + 40; ++y)
    for (int x = tx; x < tx + 40; ++x) sheet.pixels[y * sheet.width + x] = colour;
}

uint32_t BackPixel(int x, int y) { return scrback.pixels[y * scrback.width + x]; }

void SetMapCell(int stage, int column, int row, uint8_t tileX, uint8_t tileY) {
  mapData[stage + kMapStages * (2 * column + kMapByteColumns * row)] = tileX;
  mapData[stage + kMapStages * (2 * column + 1 + kMapByteColumns * row)] = tileY;
}

class Background : public GameTest {};

TEST_F(Background, StageBackgroundCopiesTheMapsTilesFromSheetNine) {
  PaintTile(0, 0, 0x111111);
  PaintTile(80, 120, 0xAA0000);
  PaintTile(320, 600, 0x00BB00);
  for (int i = 0; i < kScreenWidth * 40; ++i) scrback.pixels[i] = 0x123456;  // stale picture
  SetMapCell(2, 1, 5, 2, 3);                                                 // cell (40, 200) <- tile (80, 120)
  SetMapCell(2, 8, 74, 8, 15);  // cell (320, 2960), cut at the buffer's right and bottom
  SetMapCell(3, 1, 5, 8, 15);   // another stage's map is not read
  SetMapCell(2, 0, 0, 200, 0);  // a tile outside the sheet draws nothing
  stageNo = 2;
  BuildStageBackground();
  EXPECT_EQ(BackPixel(45, 205), 0xAA0000u);
  EXPECT_EQ(BackPixel(79, 239), 0xAA0000u);
  EXPECT_EQ(BackPixel(331, 2999), 0x00BB00u);
  EXPECT_EQ(BackPixel(5, 5), 0u);            // cleared, not stale
  EXPECT_EQ(BackPixel(85, 205), 0x111111u);  // map bytes 0, 0
}

// The map holds stages 0..8; any other stage number must not read past it.
TEST_F(Background, StageNumberBeyondTheMapLeavesTheBufferBlack) {
  PaintTile(0, 0, 0x111111);
  for (int i = 0; i < kScreenWidth * 40; ++i) scrback.pixels[i] = 0x123456;
  stageNo = 9;
  BuildStageBackground();
  EXPECT_EQ(BackPixel(5, 5), 0u);
  EXPECT_EQ(BackPixel(331, 2999), 0u);
}

TEST_F(Background, PlainBackgroundRepeatsOneTile) {
  PaintTile(320, 560, 0x0000CC);
  FillPlainBackground();
  for (int y : {0, 39, 1500, 2999})
    for (int x : {0, 200, 331}) EXPECT_EQ(BackPixel(x, y), 0x0000CCu) << x << "," << y;
}

}  // namespace
