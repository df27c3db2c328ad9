#include <gtest/gtest.h>

#include "app/app_state.h"
#include "platform/headless/headless.h"
#include "platform/input.h"
#include "platform/keys.h"
#include "tests/support/game_fixture.h"
#include "world/player.h"
#include "world/world_state.h"

namespace {

class PlayerTest : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    gameMode = 0;
    playerX = 150;
    playerY = 350;
    bombs = 2;
  }
  // One frame of the ship with the given input words.
  void Frame(int16_t x = 0, int16_t y = 0, int32_t fire = 0, int32_t bomb = 0) {
    inputX = x;
    inputY = y;
    fireBits = fire;
    bombBits = bomb;
    UpdatePlayer();
  }
};

TEST_F(PlayerTest, HeldFireChargesAlongTheCurve) {
  // frame number -> charge after that frame
  const struct {
    int frame;
    float charge;
    float gauge;
  } expected[] = {
      {1, 1, 0},    {11, 11, 0},    {12, 12, 0},    {13, 15, 0},    {42, 102, 0},   {43, 105, 0},    {44, 103, 0},
      {45, 106, 3}, {78, 205, 102}, {79, 208, 105}, {80, 206, 105}, {81, 206, 105}, {200, 206, 105},
  };
  int frame = 0;
  for (const auto& e : expected) {
    while (frame < e.frame) {
      Frame(0, 0, 5);
      ++frame;
    }
    EXPECT_EQ(chargeLevel, e.charge) << "frame " << frame;
    EXPECT_EQ(chargeGauge, e.gauge) << "frame " << frame;
  }
  // Holding fire the whole time fired exactly one normal shot.
  EXPECT_EQ(shotKind[0], 1);
  EXPECT_EQ(shotKind[1], 0);
  EXPECT_EQ(nextShotSlot, 1);
  EXPECT_EQ(fireLatch, -1);
}

TEST_F(PlayerTest, ReleaseFiresTheShotTheChargeReached) {
  const struct {
    float charge;
    uint8_t kind;
    int16_t cooldown;
  } cases[] = {
      {12, 0, 0}, {13, 2, 30}, {102, 2, 30}, {103, 3, 70}, {205, 3, 70}, {206, 4, 130},
  };
  for (const auto& c : cases) {
    SetUp();
    nextShotSlot = 5;
    playerX = 100;
    playerY = 200;
    fireLatch = -1;
    chargeLevel = c.charge;
    chargeGauge = 40;
    shotComboCount[5] = 9;
    Frame();
    EXPECT_EQ(shotKind[5], c.kind) << c.charge;
    EXPECT_EQ(shotCooldown, c.cooldown) << c.charge;
    EXPECT_EQ(chargeFlash, c.cooldown) << c.charge;
    EXPECT_EQ(fireLatch, 0);
    EXPECT_EQ(chargeLevel, 0.0f);
    EXPECT_EQ(chargeGauge, 0.0f);
    if (c.kind != 0) {
      EXPECT_EQ(shotX[5], 100.0f);
      EXPECT_EQ(shotY[5], 208.0f);
      EXPECT_EQ(shotComboCount[5], 0);
      EXPECT_EQ(nextShotSlot, 6);
    } else {
      EXPECT_EQ(nextShotSlot, 5);
    }
  }
}

TEST_F(PlayerTest, ReleaseDuringABombOnlyClearsTheChargeUnlessTheFlashIsEnding) {
  fireLatch = -1;
  chargeLevel = 150;
  bombPhase = 2;
  battlePhase = 0;
  Frame();
  EXPECT_EQ(shotKind[0], 0);
  EXPECT_EQ(chargeLevel, 0.0f);
  EXPECT_EQ(fireLatch, -1);  // still latched: the button must be pressed anew

  // While the flash is ending (battle phase 3) the charged shot does leave.
  chargeLevel = 150;
  battlePhase = 3;
  Frame();
  EXPECT_EQ(shotKind[0], 3);
  EXPECT_EQ(fireLatch, 0);

  // Holding fire during a bomb latches but does not charge.
  shotCooldown = 0;
  battlePhase = 0;
  Frame(0, 0, 5);
  EXPECT_EQ(chargeLevel, 0.0f);
  EXPECT_EQ(fireLatch, -1);
  EXPECT_EQ(shotKind[1], 0);
}

TEST_F(PlayerTest, ShipStopsAtTheFieldLimits) {
  const struct {
    int16_t x, y;
    float endX, endY;
  } cases[] = {
      {-1, 0, -6, 350},
      {1, 0, 288, 350},
      {0, -1, 150, 2},
      {0, 1, 150, 386},
  };
  for (const auto& c : cases) {
    playerX = 150;
    playerY = 350;
    for (int i = 0; i < 100; ++i) Frame(c.x, c.y);
    EXPECT_EQ(playerX, c.endX);
    EXPECT_EQ(playerY, c.endY);
  }
}

TEST_F(PlayerTest, KeypadMovesBanksAndBothSidesCancel) {
  headless::SetKeyDown(kVkNum4, true);
  Frame();
  EXPECT_EQ(playerX, 144.0f);
  EXPECT_EQ(playerBank, 2);
  playerBank = 3;  // the effect timers alternate the pair; a held key keeps it
  Frame();
  EXPECT_EQ(playerBank, 3);

  headless::SetKeyDown(kVkNum6, true);  // both held: left then right, bank 4
  Frame();
  EXPECT_EQ(playerX, 138.0f);  // left 6 and right 6 cancel
  EXPECT_EQ(playerBank, 4);

  headless::SetKeyDown(kVkNum4, false);
  headless::SetKeyDown(kVkNum6, false);
  headless::SetKeyDown(kVkNum8, true);
  headless::SetKeyDown(kVkNum2, true);
  Frame();
  EXPECT_EQ(playerY, 350.0f);
  EXPECT_EQ(playerBank, 0);  // no sideways input: level flight
}

TEST_F(PlayerTest, NormalShotsUseTheRingOf21Slots) {
  for (int i = 0; i < 22; ++i) {
    fireLatch = 0;
    Frame(0, 0, 1);
  }
  // 22 presses: slots 0..20, then slot 0 again; slot 21 is never used.
  for (int k = 0; k <= 20; ++k) EXPECT_EQ(shotKind[k], 1) << k;
  EXPECT_EQ(shotKind[21], 0);
  EXPECT_EQ(nextShotSlot, 1);
  EXPECT_EQ(shotY[0], 358.0f);

  // No shot while a cooldown runs or a bomb is active (unless the flash ends).
  const struct {
    int16_t cooldown;
    uint8_t bomb, battle;
    bool fires;
  } gates[] = {
      {0, 0, 0, true}, {10, 0, 0, false}, {0, 1, 0, false}, {0, 2, 3, true}, {0, 2, 2, false},
  };
  for (const auto& g : gates) {
    shotKind[1] = 0;
    nextShotSlot = 1;
    fireLatch = 0;
    shotCooldown = g.cooldown;
    bombPhase = g.bomb;
    battlePhase = g.battle;
    Frame(0, 0, 4);
    EXPECT_EQ(shotKind[1] == 1, g.fires) << g.cooldown << " " << int(g.bomb) << " " << int(g.battle);
  }
}

TEST_F(PlayerTest, BombDropsOnlyWhenEverythingAllows) {
  const struct {
    int16_t comboTimer;
    uint8_t stock, battle, bomb;
    int16_t cooldown;
    bool drops;
  } cases[] = {
      {0, 1, 0, 0, 0, true},  {0, 3, 1, 0, 0, true},  {5, 1, 0, 0, 0, false}, {0, 0, 0, 0, 0, false},
      {0, 1, 4, 0, 0, false}, {0, 1, 0, 1, 0, false}, {0, 1, 0, 3, 0, false}, {0, 1, 0, 0, 10, false},
  };
  for (const auto& c : cases) {
    SetUp();
    playerX = 150.5f;
    playerY = 201.5f;
    bombComboTimer = c.comboTimer;
    bombs = c.stock;
    battlePhase = c.battle;
    bombPhase = c.bomb;
    shotCooldown = c.cooldown;
    Frame(0, 0, 0, 2);
    if (c.drops) {
      EXPECT_EQ(bombPhase, 1);
      EXPECT_EQ(bombs, c.stock - 1);
      EXPECT_EQ(bombX, 150);  // halves round to even
      EXPECT_EQ(bombY, 202);
    } else {
      EXPECT_EQ(bombPhase, c.bomb);
      EXPECT_EQ(bombs, c.stock);
    }
  }
}

TEST_F(PlayerTest, OutsidePlayTheShipNeitherMovesNorFires) {
  for (uint8_t mode : {1, 2, 3, 6, 8}) {
    gameMode = mode;
    Frame(1, 1, 5, 10);
    EXPECT_EQ(playerX, 150.0f);
    EXPECT_EQ(playerY, 350.0f);
    EXPECT_EQ(shotKind[0], 0);
    EXPECT_EQ(bombPhase, 0);
  }
  gameMode = 4;  // continue accepted: the ship flies
  Frame(1, 0);
  EXPECT_EQ(playerX, 156.0f);
}

TEST_F(PlayerTest, CtrlTogglesTheFrameRateOncePerPress) {
  headless::SetKeyDown(kVkCtrl, true);
  Frame();
  EXPECT_EQ(showFrameRate, -1);
  EXPECT_EQ(inputLatch, -1);
  Frame();
  EXPECT_EQ(showFrameRate, -1);  // held: no second toggle
  headless::SetKeyDown(kVkCtrl, false);
  Frame();
  EXPECT_EQ(inputLatch, 0);
  headless::SetKeyDown(kVkCtrl, true);
  Frame();
  EXPECT_EQ(showFrameRate, 0);

  // In the demonstration the latch also waits for fire and bomb to be up.
  gameMode = 6;
  headless::SetKeyDown(kVkCtrl, false);
  Frame(0, 0, 5);
  EXPECT_EQ(inputLatch, -1);
  Frame(0, 0, 0, 0);
  EXPECT_EQ(inputLatch, 0);
}

}  // namespace
