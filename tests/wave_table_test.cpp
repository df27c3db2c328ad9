#include "enemies/wave_table.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/random.h"
#include "tests/support/game_fixture.h"
#include "world/world_state.h"

namespace {

// Marks every enemy slot with values no formation writes, so untouched slots
// and fields show.
constexpr float kStaleX = 777;
constexpr int16_t kStaleTimer = 1234;
constexpr float kStaleParam = -3.25f;

void FillStale() {
  for (int k = 0; k < kEnemySlots; ++k) {
    enemyX[k] = kStaleX;
    enemyY[k] = 888;
    enemyTimer[k] = kStaleTimer;
    enemyHp[k] = 99;
    enemyKind[k] = 77;
    enemyState[k] = 0;
    enemyStep[k] = 9;
    enemyParamA[k] = kStaleParam;
    enemyParamB[k] = kStaleParam;
  }
}

struct Mode {
  const char* name;
  uint8_t hard, easy;
};
constexpr Mode kNormal{"normal", 0, 0};
constexpr Mode kHard{"hard", 1, 0};
constexpr Mode kEasy{"easy", 0, 1};

void Spawn(int w, Mode m, uint8_t stage = 1) {
  FillStale();
  hardMode = m.hard;
  easyMode = m.easy;
  stageNo = stage;
  wave = uint8_t(w);
  SpawnWave();
}

// One slot as worked out from the wave table.
struct Slot {
  int slot;
  int kind;
  float scale, hp;
  int score, shots;
  float x, y;
  int timer, carrier, state;
};

struct Case {
  int wave;
  Mode mode;
  Slot s;
};

// clang-format off
const Case kCases[] = {
  // wave 1: four columns of five, 40 apart, k the slot index
  {1,   kNormal, { 0, 0, 1,  1,  100, 1,  60, -100,  0, 0, 1}},
  {1,   kNormal, { 4, 0, 1,  1,  100, 1,  60, -260,  0, 0, 1}},
  {1,   kNormal, { 5, 0, 1,  1,  100, 1, 250, -370,  0, 0, 1}},
  {1,   kNormal, { 9, 0, 1,  1,  100, 1, 250, -530,  0, 0, 1}},
  {1,   kNormal, {10, 0, 1,  1,  100, 1,  60, -640,  0, 0, 1}},
  {1,   kNormal, {15, 0, 1,  1,  100, 1, 250, -910,  0, 0, 1}},
  {1,   kNormal, {19, 0, 1,  1,  100, 1, 250, -1070, 0, 0, 1}},
  {1,   kHard,   { 4, 0, 1,  1,  100, 2,  60, -260,  0, 0, 1}},
  {1,   kEasy,   { 4, 0, 1,  1,  100, 0,  60, -260,  0, 0, 1}},
  {1,   kEasy,   { 5, 0, 1,  1,  100, 1, 250, -370,  0, 0, 1}},
  // wave 2: a large pair
  {2,   kNormal, { 0, 0, 2, 10,  400, 3,  50,  -80,  0, 0, 1}},
  {2,   kHard,   { 1, 0, 2, 10,  400, 4, 200, -130,  0, 0, 1}},
  {2,   kEasy,   { 0, 0, 2,  7,  400, 2,  50,  -80,  0, 0, 1}},
  {2,   kEasy,   { 1, 0, 2,  7,  400, 2, 200, -130,  0, 0, 1}},
  // wave 9: staggered timers, x list with slot 5 left alone
  {9,   kNormal, { 0, 1, 1,  3,  500, 0,  55,  -90,  0, 0, 1}},
  {9,   kNormal, { 4, 1, 1,  3,  500, 0, 110, -410, 280, 0, 1}},
  {9,   kHard,   { 5, 1, 1,  5,  500, 0, kStaleX, -490, 0, 0, 1}},
  {9,   kEasy,   { 9, 1, 1,  2,  500, 0, 145, -810, 280, 0, 1}},
  // wave 10: 10k, then 10(k - 4)
  {10,  kNormal, { 4, 0, 1,  3,  300, 1,  50, -530,  40, 0, 1}},
  {10,  kNormal, { 5, 0, 1,  3,  300, 1, kStaleX, -640, 10, 0, 1}},
  {10,  kHard,   { 8, 0, 1,  5,  300, 3, 110, -970,  40, 0, 1}},
  {10,  kEasy,   { 8, 0, 1,  2,  300, 1, 110, -970,  40, 0, 1}},
  // wave 15: the easy-only carrier in slot 4
  {15,  kNormal, { 4, 1, 1,  5,  400, 1, 260, -390,  40, 0, 1}},
  {15,  kHard,   { 4, 1, 1,  5,  400, 2, 260, -390,  40, 0, 1}},
  {15,  kEasy,   { 4, 3, 1,  5,  400, 0, 260, -390,  40, 1, 1}},
  {15,  kEasy,   { 7, 1, 1,  3,  400, 1, 140, -630,  70, 0, 1}},
  // wave 42: arc centre (not an enemy) and the arc around it
  {42,  kNormal, { 0, 0, 1,  0,    0, 0, 145, -180,  0, 0, 0}},
  {42,  kNormal, { 1, 0, 1,  6,  200, 0, 166.853626f, -72.192676f, 0, 0, 1}},
  {42,  kHard,   { 9, 0, 1, 11,  200, 0, 252.123239f, -204.992230f, 0, 0, 1}},
  {42,  kEasy,   { 9, 0, 1,  3,  200, 0, 252.123239f, -204.992230f, 0, 0, 1}},
  // wave 112: hp by k mod 3, timers of 9..12 left alone
  {112, kNormal, { 2, 0, 1, 11,  300, 1,  90, -290,  20, 0, 1}},
  {112, kNormal, { 8, 0, 1, 11,  300, 1,  85, -890,  40, 0, 1}},
  {112, kHard,   { 9, 0, 1, 11,  300, 2, 125, -990, kStaleTimer, 0, 1}},
  {112, kEasy,   {12, 0, 1,  9,  300, 1, 170, -1290, kStaleTimer, 0, 1}},
  // wave 129: a pair of turrets and a heavy one in slot 2
  {129, kNormal, { 0, 8, 2, 13,  800, 1, 205, -210,  0, 0, 1}},
  {129, kHard,   { 1, 8, 2, 18,  800, 2,  35, -210,  4, 0, 1}},
  {129, kNormal, { 2, 0, 3, 40, 3000, 5,  98, -200, 12, 0, 1}},
  {129, kHard,   { 2, 0, 3, 45, 3000, 7,  98, -200, 12, 0, 1}},
  {129, kEasy,   { 2, 0, 3, 25, 3000, 3,  98, -200, 12, 0, 1}},
  // waves 128 and 102 (fields other than the parameters)
  {128, kNormal, { 1, 6, 1, 13, 1500, 2, 270, -110, 30, 0, 1}},
  {128, kEasy,   { 0, 6, 1, 10, 1500, 2,  20,  -70,  0, 0, 1}},
  {102, kHard,   { 1, 6, 1, 15, 1500, 2, 220, -110, 30, 0, 1}},
};
// clang-format on

class WaveTable : public GameTest {};

TEST_F(WaveTable, FormationsMatchTheTableFieldByField) {
  for (const Case& c : kCases) {
    Spawn(c.wave, c.mode);
    const Slot& e = c.s;
    const int k = e.slot;
    SCOPED_TRACE(testing::Message() << "wave " << c.wave << " " << c.mode.name << " slot " << k);
    EXPECT_EQ(enemyStep[k], 0);
    EXPECT_EQ(enemyKind[k], e.kind);
    EXPECT_EQ(enemyScale[k], e.scale);
    EXPECT_EQ(enemyHp[k], e.hp);
    EXPECT_EQ(enemyScore[k], e.score);
    EXPECT_EQ(enemyShots[k], e.shots);
    EXPECT_NEAR(enemyX[k], e.x, 1e-3);
    EXPECT_NEAR(enemyY[k], e.y, 1e-3);
    EXPECT_EQ(enemyTimer[k], e.timer);
    EXPECT_EQ(enemyCarrier[k], e.carrier);
    EXPECT_EQ(enemyState[k], e.state);
  }
}

// Slots a formation does not name keep every field; an x list one entry longer
// than the group writes that x and nothing else.
TEST_F(WaveTable, SlotsOutsideTheFormationAreLeftAlone) {
  Spawn(9, kNormal);
  EXPECT_EQ(enemyX[10], 75);
  EXPECT_EQ(enemyState[10], 0);
  EXPECT_EQ(enemyHp[10], 99);
  EXPECT_EQ(enemyStep[10], 9);
  for (int k = 11; k < kEnemySlots; ++k) {
    EXPECT_EQ(enemyX[k], kStaleX) << k;
    EXPECT_EQ(enemyKind[k], 77) << k;
  }
  Spawn(10, kNormal);
  EXPECT_EQ(enemyX[9], kStaleX);
  EXPECT_EQ(enemyTimer[9], kStaleTimer);
  EXPECT_EQ(enemyState[9], 0);
  // Only waves 102 and 128 write the movement parameters.
  EXPECT_EQ(enemyParamA[0], kStaleParam);
}

TEST_F(WaveTable, MovementParametersOfTheBouncingPairs) {
  Spawn(102, kNormal);
  for (int k : {0, 1}) {
    EXPECT_EQ(enemyParamA[k], 6.5f);
    EXPECT_EQ(enemyParamB[k], 6.5f);
  }
  Spawn(102, kHard);
  EXPECT_EQ(enemyParamA[1], 7.0f);
  EXPECT_EQ(enemyParamB[0], 7.0f);
  // Wave 128 writes parameter A alone; B keeps what the slot held.
  Spawn(128, kHard);
  EXPECT_EQ(enemyParamA[0], -7.0f);
  EXPECT_EQ(enemyParamA[1], 7.0f);
  EXPECT_EQ(enemyParamB[0], kStaleParam);
  EXPECT_EQ(enemyParamB[1], kStaleParam);
}

TEST_F(WaveTable, SingleSlotNotesAndTheirConditions) {
  // Wave 61's carrier exists only while the stage number is 4.
  Spawn(61, kNormal, 4);
  EXPECT_EQ(enemyKind[3], 2);
  EXPECT_EQ(enemyHp[3], 14);
  EXPECT_EQ(enemyCarrier[3], 1);
  EXPECT_EQ(enemyShots[3], 1);
  Spawn(61, kEasy, 4);
  EXPECT_EQ(enemyHp[3], 9);
  Spawn(61, kNormal, 3);
  EXPECT_EQ(enemyKind[3], 0);
  EXPECT_EQ(enemyHp[3], 6);
  EXPECT_EQ(enemyCarrier[3], 0);
  EXPECT_NEAR(enemyY[3], -170 + 110 * 0.825336, 1e-3);  // cos 0.6

  // Wave 82: slot 6 is a carrier of kind 2; the x list skips slot 5.
  Spawn(82, kHard);
  EXPECT_EQ(enemyKind[6], 2);
  EXPECT_EQ(enemyHp[6], 6);
  EXPECT_EQ(enemyCarrier[6], 1);
  EXPECT_EQ(enemyKind[7], 0);
  EXPECT_EQ(enemyHp[7], 3);
  EXPECT_EQ(enemyShots[7], 5);  // 2 + 1 + 2
  EXPECT_EQ(enemyX[5], kStaleX);
  EXPECT_EQ(enemyX[10], 100);
  EXPECT_EQ(enemyY[10], -700);
}

// The random timer is drawn before the y of the same enemy, slot by slot.
TEST_F(WaveTable, RandomDrawsComeInSlotOrderTimerFirst) {
  constexpr uint32_t kSeed = 4711;
  Randomize(kSeed);
  Spawn(88, kNormal);
  Randomize(kSeed);
  for (int k = 0; k <= 15; ++k) {
    SCOPED_TRACE(k);
    const bool first = k < 8;
    const int timer = 70 + (first ? k : k - 8) / 2 + int(30 * double(Rnd()));
    const int y = first ? 20 + int(145 * double(Rnd())) : 40 + int(135 * double(Rnd()));
    EXPECT_EQ(enemyTimer[k], timer);
    EXPECT_EQ(enemyY[k], y);
    EXPECT_EQ(enemyX[k], first ? -50 - 80 * k : -250 + 80 * k);
    EXPECT_EQ(enemyHp[k], 3);
    EXPECT_EQ(enemyShots[k], 1 + k % 2);
  }
  EXPECT_EQ(enemyState[16], 0);

  // Wave 82: one draw per enemy (its y is fixed).
  Randomize(kSeed);
  Spawn(82, kNormal);
  Randomize(kSeed);
  for (int k = 0; k <= 10; ++k) EXPECT_EQ(enemyTimer[k], 70 + k / 2 + int(30 * double(Rnd()))) << k;
}

TEST_F(WaveTable, NumbersWithoutAFormationWriteNothing) {
  for (int w : {0, 18, 19, 58, 76, 99, 116, 136, 150, 157, 255}) {
    Spawn(w, kNormal);
    for (int k = 0; k < kEnemySlots; ++k) {
      ASSERT_EQ(enemyX[k], kStaleX) << w;
      ASSERT_EQ(enemyState[k], 0) << w;
      ASSERT_EQ(enemyKind[k], 77) << w;
    }
  }
}

// Every formation in every mode gives its live enemies sound values: no
// formula may go below zero or wrap a byte.
TEST_F(WaveTable, EveryFormationIsSoundInEveryMode) {
  int formations = 0;
  for (int w = 1; w <= 135; ++w) {
    bool any = false;
    for (Mode m : {kNormal, kHard, kEasy}) {
      Spawn(w, m, 4);
      for (int k = 0; k < kEnemySlots; ++k) {
        if (enemyState[k] != 1) continue;
        any = true;
        SCOPED_TRACE(testing::Message() << "wave " << w << " " << m.name << " slot " << k);
        EXPECT_GE(enemyHp[k], 1);
        EXPECT_GT(enemyScore[k], 0);
        EXPECT_GE(enemyScale[k], 1);
        EXPECT_LE(enemyShots[k], 12);
        EXPECT_LE(enemyKind[k], 8);
        EXPECT_GE(enemyTimer[k], 0);
        EXPECT_EQ(enemyStep[k], 0);
      }
    }
    if (any) ++formations;
  }
  EXPECT_EQ(formations, 121);
}

struct BossCase {
  int stage, shots;
  float hp;
  int kind, score, wave;
};

TEST_F(WaveTable, EveryBossTakesSlotZero) {
  // clang-format off
  const BossCase bosses[] = {
    {1, 2, 240, 0,  8000, 150}, {2, 3, 260, 1, 10000, 151}, {3, 1, 280, 4, 12000, 152},
    {4, 2, 355, 2, 14000, 153}, {5, 2, 365, 3, 16000, 154}, {6, 2, 380, 6, 18000, 155},
    {7, 1, 400, 8, 20000, 156}, {8, 3, 550, 9, 30000, 157},
  };
  // clang-format on
  for (const BossCase& b : bosses) {
    for (Mode m : {kHard, kEasy}) {
      FillStale();
      enemyCarrier[0] = 1;
      stageNo = uint8_t(b.stage);
      hardMode = m.hard;
      easyMode = m.easy;
      SpawnBoss();
      SCOPED_TRACE(testing::Message() << "stage " << b.stage << " " << m.name);
      EXPECT_EQ(enemyStep[0], 0);
      EXPECT_EQ(enemyTimer[0], 0);
      EXPECT_EQ(enemyShots[0], b.shots);
      EXPECT_EQ(enemyHp[0], b.hp);
      EXPECT_EQ(enemyKind[0], b.kind);
      EXPECT_EQ(enemyScale[0], 5);
      EXPECT_EQ(enemyScore[0], b.score);
      EXPECT_EQ(enemyCarrier[0], 0);
      EXPECT_EQ(enemyX[0], 70);
      EXPECT_EQ(enemyY[0], -200);
      EXPECT_EQ(enemyState[0], 1);
      EXPECT_EQ(wave, b.wave);
      EXPECT_EQ(enemyX[1], kStaleX);
    }
  }
  // Any other stage number writes no slot but still sets the wave.
  FillStale();
  stageNo = 9;
  SpawnBoss();
  EXPECT_EQ(wave, 158);
  EXPECT_EQ(enemyX[0], kStaleX);
  EXPECT_EQ(enemyState[0], 0);
}

}  // namespace
