// Items, the bonus capsule and the effect timers.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "app/app_state.h"
#include "platform/input.h"
#include "tests/support/game_fixture.h"
#include "world/effects.h"
#include "world/items.h"
#include "world/player_damage.h"
#include "world/volleys.h"
#include "world/world_state.h"

namespace {

class EffectsTest : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    gameMode = 0;
    playerX = 150;
    playerY = 350;
    shield = 3;
    bombs = 2;
  }
  // The item in `taken` sits on the ship's pickup box, the other far away.
  // Popups are rounded: 150.5 - 20 -> 130, 40.5 + 20 -> 60.
  static void ItemsFalling(int taken) {
    for (int k = 0; k < kItemSlots; ++k) {
      itemState[k] = 1;
      itemX[k] = k == taken ? 150.5f : 40.5f;
      itemY[k] = k == taken ? 350 : 100;
    }
  }
};

TEST_F(EffectsTest, CarrierReleasesBothItemsAtItsCentre) {
  loopSlot2 = 6;
  enemyX[6] = 100;
  enemyY[6] = 50;
  enemyScale[6] = 2;
  enemyCarrier[6] = 0;
  ReleaseItems();
  EXPECT_EQ(itemState[0], 0);
  itemState[1] = 2;  // an older pair is replaced
  enemyCarrier[6] = 1;
  ReleaseItems();
  for (int k = 0; k < 2; ++k) {
    EXPECT_EQ(itemState[k], 1);
    EXPECT_EQ(itemX[k], 140.0f);
    EXPECT_EQ(itemY[k], 90.0f);
  }
}

TEST_F(EffectsTest, ItemsDriftApartAndFall) {
  const struct {
    int slot;
    float x, after;
  } cases[] = {
      {0, 236, 240}, {0, 240, 240}, {0, 244.5f, 244.5f}, {0, 245, 241},
      {1, 54, 50},   {1, 50, 50},   {1, 45, 45},         {1, 44, 48},
  };
  for (const auto& c : cases) {
    itemState[0] = itemState[1] = 0;
    itemState[c.slot] = 1;
    itemX[c.slot] = c.x;
    itemY[c.slot] = 100;
    MoveItems();
    EXPECT_EQ(itemX[c.slot], c.after) << c.slot << " " << c.x;
    EXPECT_EQ(itemY[c.slot], 102.0f);
  }
}

TEST_F(EffectsTest, PickingUpOneItemPopsTheOther) {
  const struct {
    uint8_t slot, stock;
    float shieldBefore, shieldAfter;
    uint8_t bombsAfter, message;
    float paid;
  } cases[] = {
      {0, 2, 3, 3, 3, 1, 0}, {0, 3, 3, 3, 3, 3, 3000}, {1, 2, 2.5f, 3, 2, 2, 0},
      {1, 2, 1, 2, 2, 2, 0}, {1, 2, 3, 3, 2, 4, 3000},
  };
  for (const auto& c : cases) {
    SetUp();
    bombs = c.stock;
    shield = c.shieldBefore;
    ItemsFalling(c.slot);
    CheckItemPickup();
    EXPECT_EQ(itemState[c.slot], 0);
    EXPECT_EQ(itemState[1 - c.slot], 2);
    EXPECT_EQ(bombs, c.bombsAfter);
    EXPECT_EQ(shield, c.shieldAfter);
    EXPECT_EQ(bonusTextKind, c.message);
    EXPECT_EQ(bonusTextTimer, 27);
    EXPECT_EQ(score, c.paid);
    // The message stands where the taken item was; the other one pops.
    EXPECT_EQ(popupX[c.slot], 130);
    EXPECT_EQ(popupY[c.slot], 377);
    EXPECT_EQ(popupX[1 - c.slot], 60);
    EXPECT_EQ(popupY[1 - c.slot], 116);
  }
}

TEST_F(EffectsTest, ItemsAreTakenOnlyInPlayWithStrictEdges) {
  // Item box x+8..x+32 against the ship's 162..183: an item at x 130 touches.
  const struct {
    uint8_t mode;
    float x;
    bool taken;
  } cases[] = {
      {0, 130, false},
      {0, 130.5f, true},
      {4, 150, false},
      {1, 150, false},
  };
  for (const auto& c : cases) {
    SetUp();
    gameMode = c.mode;
    itemState[1] = 1;
    itemX[1] = c.x;
    itemY[1] = 350;
    CheckItemPickup();
    EXPECT_EQ(itemState[1] == 0, c.taken) << int(c.mode) << " " << c.x;
  }
}

TEST_F(EffectsTest, PopGrowsThenShrinksAway) {
  itemState[1] = 2;
  popupY[1] = 100;
  const std::vector<int16_t> timers = {15, 30, 45, 60, 75, 75, 60, 45, 30, 15, 0};
  for (size_t i = 0; i < timers.size(); ++i) {
    UpdateEffects();
    EXPECT_EQ(popupTimer[1], timers[i]) << i;
    EXPECT_EQ(itemState[1], i < 5 ? 2 : 3) << i;
  }
  UpdateEffects();
  EXPECT_EQ(itemState[1], 0);
  EXPECT_EQ(popupY[1], 100 + 2 * 13);  // two steps on the frame it turns
}

TEST_F(EffectsTest, CapsuleFallsAndPaysOnlyWhileFalling) {
  bonusState = 1;
  bonusX = 150;
  bonusY = 350;
  shield = 1;
  bombs = 0;
  bonusState = 3;  // circling: never picked up
  CheckBulletHits();
  EXPECT_EQ(bonusState, 3);
  bonusState = 1;
  CheckBulletHits();
  EXPECT_EQ(bonusState, 2);
  EXPECT_EQ(score, 10000.0f);
  EXPECT_EQ(shield, 3.0f);
  EXPECT_EQ(bombs, 3);
  EXPECT_EQ(bonusTextKind, 5);
  EXPECT_EQ(bonusTextTimer, 27);
  EXPECT_EQ(popupX[0], 134);
  EXPECT_EQ(popupY[0], 373);

  // Falling: 2 a frame, gone past 460; the picture frame cycles 0..23.
  bonusState = 1;
  bonusY = 456;
  bonusFrame = 23;
  UpdateEffects();
  EXPECT_EQ(bonusY, 458.0f);
  EXPECT_EQ(bonusFrame, 0);
  UpdateEffects();
  UpdateEffects();
  EXPECT_EQ(bonusState, 2);
  EXPECT_EQ(bonusFrame, 2);  // the frame moved in state 1 only
  UpdateEffects();
  EXPECT_EQ(bonusFrame, 2);
}

TEST_F(EffectsTest, CapsuleCirclesOnTheBossTimer) {
  bonusState = 3;
  enemyTimer[0] = 99;
  UpdateEffects();
  const double a = 100 * 0.05 + 1 / 1.45;
  EXPECT_FLOAT_EQ(bonusX, float(53 * std::sin(a) + 157));
  EXPECT_FLOAT_EQ(bonusY, float(53 * std::cos(a) + 61));
  enemyTimer[0] = 30001;
  UpdateEffects();
  EXPECT_EQ(enemyTimer[0], 0);
}

TEST_F(EffectsTest, CountersCycleWithinTheirRanges) {
  std::vector<int> ticks, div5, tick8, phase3;
  int blinkBToggles = 0, blinkAToggles = 0;
  for (int frame = 0; frame < 72; ++frame) {
    const uint8_t a = blinkA, b = blinkB;
    UpdateEffects();
    ticks.push_back(frameTick);
    div5.push_back(animDiv5);
    tick8.push_back(animTick8);
    phase3.push_back(animPhase3);
    blinkAToggles += blinkA != a;
    blinkBToggles += blinkB != b;
    EXPECT_EQ(blinkPhase, (frame + 1) % 2);
  }
  for (int i = 0; i < 72; ++i) {
    EXPECT_EQ(ticks[i], (i + 1) % 36);
    EXPECT_EQ(div5[i], (i + 1) % 5);
  }
  EXPECT_EQ(tick8[3], 0);
  EXPECT_EQ(tick8[4], 1);        // every fifth frame
  EXPECT_EQ(tick8[39], 0);       // 8 steps later, back to 0
  EXPECT_EQ(blinkAToggles, 18);  // frameTick 0, 4, ..., 32 twice
  EXPECT_EQ(blinkBToggles, 24);
  int maxPhase = 0;
  for (int p : phase3) maxPhase = std::max(maxPhase, p);
  EXPECT_EQ(maxPhase, 2);
}

TEST_F(EffectsTest, BankingPicturesTakeTurnsInTheirPair) {
  for (uint8_t bank : {0, 2, 5}) {
    playerBank = bank;
    frameTick = 3;  // the next frame is 4
    UpdateEffects();
    EXPECT_EQ(playerBank, bank ^ 1);
    UpdateEffects();
    EXPECT_EQ(playerBank, bank ^ 1);
  }
}

TEST_F(EffectsTest, TurretsLookTowardsTheShip) {
  // Ship centre (playerX + 22, playerY + 33); a scale-1 kind-0 enemy at (100, 100)
  // has the square 103..140; a kind-4 one 113..130.
  const struct {
    uint8_t kind;
    float cx, cy;
    uint8_t aim;
  } cases[] = {
      {0, 141, 141, 0},    {0, 141, 102, 2}, {0, 141, 120, 6}, {0, 140, 141, 4},
      {0, 102, 141, 1},    {0, 102, 102, 3}, {0, 102, 103, 7}, {0, 120, 120, 4},
      {0, 120, 119.5f, 5}, {4, 131, 131, 0}, {4, 112, 112, 3}, {8, 131, 120, 6},
  };
  for (const auto& c : cases) {
    SetUp();
    enemyState[3] = 1;
    enemyKind[3] = c.kind;
    enemyScale[3] = 1;
    enemyX[3] = 100;
    enemyY[3] = 100;
    enemyAim[3] = 99;
    playerX = c.cx - 22;
    playerY = c.cy - 33;
    UpdateEffects();
    EXPECT_EQ(enemyAim[3], c.aim) << int(c.kind) << " " << c.cx << "," << c.cy;
  }
  // Kinds above 8 keep their aim.
  enemyKind[3] = 9;
  enemyAim[3] = 99;
  UpdateEffects();
  EXPECT_EQ(enemyAim[3], 99);
}

TEST_F(EffectsTest, BombRingThenBandFlash) {
  bombPhase = 1;
  std::vector<int> radii;
  while (bombPhase == 1) {
    UpdateEffects();
    radii.push_back(bombRadius);
  }
  ASSERT_EQ(radii.size(), 19u);
  EXPECT_EQ(radii[0], 11);
  EXPECT_EQ(radii[17], 198);
  EXPECT_EQ(radii[18], 0);  // the flash begins with the sizes at 0
  EXPECT_EQ(bombRadius2, 0);
  for (int k = 0; k < 8; ++k) EXPECT_EQ(bandSize[k], -56.0f * k);
  EXPECT_EQ(fireLatch, -1);

  // The flash: bullets cleared every frame; band 5 ends the waves' hold,
  // band 7 ends the bomb after 28 frames.
  fireLatch = 0;
  int frames = 0;
  bool reached196 = false, reachedZero = false;
  while (bombPhase == 2 && frames < 100) {
    bulletKind[40] = 1;
    UpdateEffects();
    ++frames;
    EXPECT_EQ(bulletKind[40], 0);
    reached196 |= bandSize[7] == 196.0f;
    reachedZero |= bandPhase[0] == 2 && bandSize[0] == 0.0f;
    if (frames == 23) {
      EXPECT_EQ(battlePhase, 0);
    }
    if (frames == 24) {
      EXPECT_EQ(battlePhase, 3);  // band 5 finished on frame 24
    }
  }
  EXPECT_EQ(frames, 28);
  EXPECT_TRUE(reached196);
  EXPECT_TRUE(reachedZero);
  EXPECT_EQ(bombPhase, 0);
  EXPECT_EQ(battlePhase, 0);  // back to the waves
  EXPECT_EQ(fireLatch, -1);   // fire must be released before the next shot
  for (int k = 0; k < 8; ++k) EXPECT_EQ(bandPhase[k], 0);
}

TEST_F(EffectsTest, FlashAfterAContinueReturnsToPlay) {
  gameMode = 4;
  battlePhase = 1;
  bombPhase = 2;
  ResetBands();
  for (int i = 0; i < 27; ++i) UpdateEffects();
  EXPECT_EQ(gameMode, 4);
  UpdateEffects();
  EXPECT_EQ(gameMode, 0);
  EXPECT_EQ(bombComboTimer, -1);
  EXPECT_EQ(battlePhase, 1);
}

TEST_F(EffectsTest, FlashOnStageFiveBannerArmsTheCapsule) {
  stageNo = 5;
  bannerTimer = 40;
  bombPhase = 2;
  ResetBands();
  UpdateEffects();
  EXPECT_EQ(bonusState, 1);
  EXPECT_EQ(bonusX, 142.0f);
  EXPECT_EQ(bonusY, -2700.0f);
}

TEST_F(EffectsTest, BossBlastPointsRepeatEvery14Frames) {
  bombPhase = 3;
  for (int k = 0; k < 8; ++k) {
    bandSize[k] = -45.0f * k;
    bandPhase[k] = 0;
  }
  int wraps7 = 0;
  for (int frame = 1; frame <= 56; ++frame) {
    const float before = bandSize[7];
    UpdateEffects();
    for (int k = 0; k < 8; ++k) {
      EXPECT_GE(bandSize[k], -315.0f);
      EXPECT_LT(bandSize[k], 105.0f);
    }
    if (bandSize[7] < before) {
      ++wraps7;
      EXPECT_EQ((frame - 28) % 14, 0) << frame;
    }
  }
  EXPECT_EQ(wraps7, 3);  // frames 28, 42, 56
}

TEST_F(EffectsTest, ExplosionsGrowAndShrinkByScale) {
  for (float s : {1.0f, 2.0f}) {
    SetUp();
    enemyState[2] = 2;
    enemyScale[2] = s;
    blastSize[2] = 0;
    std::vector<float> sizes;
    while (enemyState[2] != 0 && sizes.size() < 20) {
      UpdateEffects();
      sizes.push_back(blastSize[2]);
    }
    const std::vector<float> expected = {15, 30, 45, 60, 45, 30, 15, 0, 0};
    ASSERT_EQ(sizes.size(), expected.size());
    for (size_t i = 0; i < sizes.size(); ++i) EXPECT_EQ(sizes[i], expected[i] * s) << s << " " << i;
  }
}

TEST_F(EffectsTest, TimersCountDown) {
  shotCooldown = 30;
  chargeFlash = 30;
  sparkTimer[21] = 16;
  scrollPos = -2;
  for (int i = 0; i < 4; ++i) UpdateEffects();
  EXPECT_EQ(shotCooldown, 0);
  EXPECT_EQ(chargeFlash, 0);
  EXPECT_EQ(sparkTimer[21], 0);
  EXPECT_EQ(scrollPos, 0.0f);
}

TEST_F(EffectsTest, FireOrBombLeavesTheDemonstration) {
  gameMode = 6;
  inputLatch = -1;
  fireBits = 5;
  UpdateEffects();
  EXPECT_EQ(gameMode, 6);
  inputLatch = 0;
  UpdateEffects();
  EXPECT_EQ(gameMode, 8);
}

TEST_F(EffectsTest, StageBannerStandsThenSlidesOut) {
  stageNo = 1;
  bannerTimer = 82;
  bannerX = 117;
  int frames = 0;
  std::vector<int16_t> xs;
  while (bannerTimer != 0) {
    DrawStageBanner();
    xs.push_back(bannerX);
    ++frames;
  }
  EXPECT_EQ(frames, 82);
  EXPECT_EQ(xs[52], 117);  // stands for 53 frames
  EXPECT_EQ(xs[53], 127);
  EXPECT_EQ(xs[81], 407);  // 29 steps of 10
}

}  // namespace
