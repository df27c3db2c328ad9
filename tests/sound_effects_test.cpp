// The sound effects the game raises: one per event, where it happens, and no
// more often than each effect's minimum interval allows.
#include "platform/sound_effects.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "platform/headless/headless.h"
#include "platform/input.h"
#include "tests/support/game_fixture.h"
#include "world/effects.h"
#include "world/items.h"
#include "world/player.h"
#include "world/player_damage.h"
#include "world/shots.h"
#include "world/world_state.h"

namespace {

constexpr uint32_t kFrameMs = 43;

std::vector<std::string> Raised() {
  std::vector<std::string> names;
  for (const headless::SoundEffectRecord& r : headless::SoundEffects()) names.push_back(SoundEffectName(r.effect));
  return names;
}

int CountOf(const std::string& name) {
  int n = 0;
  for (const std::string& s : Raised()) n += s == name;
  return n;
}

class SoundEffectsTest : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    headless::SetClock(1000);
    gameMode = 0;
    scrollPos = -500;
    playerX = 150;
    playerY = 350;
    shield = 3;
    bombs = 2;
  }
  static void PlaceEnemy(int slot, float x, float y, float hp, float scale) {
    enemyX[slot] = x;
    enemyY[slot] = y;
    enemyHp[slot] = hp;
    enemyScale[slot] = scale;
    enemyState[slot] = 1;
    enemyScore[slot] = 100;
  }
  // One frame of play in the game's order (no waves, no drawing), the clock
  // moving on as the frame's wait would.
  static void PlayFrame(int32_t fire, int32_t bomb) {
    fireBits = fire;
    bombBits = bomb;
    UpdatePlayer();
    MoveShots();
    ResolveShotHits();
    CheckEnemyContact();
    CheckBulletHits();
    CheckItemPickup();
    UpdateEffects();
    headless::SetClock(headless::Clock() + kFrameMs);
  }
};

TEST_F(SoundEffectsTest, AShotThatKillsRaisesOneExplosionOfTheEnemysSize) {
  const struct {
    const char* what;
    float scale, hp;
    uint8_t kind, phase;
    std::vector<std::string> raised;
  } cases[] = {
      {"small enemy killed", 1, 1, 1, 0, {"explosion-small"}},
      {"scale 2 killed", 2, 1, 1, 0, {"explosion-large"}},
      {"scale 4 killed by a charged shot", 4, 30, 4, 0, {"explosion-large"}},
      {"enemy survives", 1, 5, 1, 0, {"enemy-hit"}},
      {"boss destroyed", 4, 1, 1, 1, {"explosion-boss"}},
      {"no kill while a bomb flash ends", 1, 0.5f, 1, 2, {}},
  };
  for (const auto& c : cases) {
    SetUp();
    battlePhase = c.phase;
    PlaceEnemy(0, 100, 200, c.hp, c.scale);
    shotKind[0] = c.kind;
    shotX[0] = 100;
    shotY[0] = 210;
    ResolveShotHits();
    EXPECT_EQ(Raised(), c.raised) << c.what;
  }
}

TEST_F(SoundEffectsTest, KillsInOneFrameSoundOnceAndTheNextFrameAgain) {
  // A piercing shot through three small enemies: three kills, one sound (not
  // three copies of the same sound at the same moment).
  for (int e = 0; e < 3; ++e) PlaceEnemy(e, 100, 200 - 25 * float(e), 1, 1);
  shotKind[0] = 4;
  shotX[0] = 100;
  shotY[0] = 150;
  ResolveShotHits();
  EXPECT_EQ(enemyState[2], 2) << "all three destroyed";
  EXPECT_EQ(Raised(), std::vector<std::string>{"explosion-small"});

  headless::SetClock(headless::Clock() + 2 * kFrameMs);
  PlaceEnemy(3, 100, 200, 1, 1);
  shotKind[1] = 1;
  shotX[1] = 100;
  shotY[1] = 210;
  ResolveShotHits();
  EXPECT_EQ(CountOf("explosion-small"), 2);
}

TEST_F(SoundEffectsTest, ABombSoundsOnceAndItsKillsByTheirSize) {
  PlaceEnemy(1, 60, 100, 5, 1);
  PlaceEnemy(2, 200, 100, 5, 1);
  PlaceEnemy(3, 120, 50, 50, 2);
  PlayFrame(0, 2);  // the bomb button
  EXPECT_EQ(bombPhase, 1);
  for (int frame = 0; frame < 80; ++frame) PlayFrame(0, 2);  // held: still one bomb
  EXPECT_EQ(bombs, 1);
  EXPECT_EQ(enemyState[3], 0) << "the flash destroyed them and their blasts ended";
  EXPECT_EQ(Raised(), (std::vector<std::string>{"bomb", "explosion-small", "explosion-large"}));
}

TEST_F(SoundEffectsTest, HeldFireSoundsOneShotThenTheChargeAndItsRelease) {
  for (int frame = 0; frame < 100; ++frame) PlayFrame(5, 0);
  EXPECT_EQ(Raised(), (std::vector<std::string>{"shot", "charge-full"}));
  PlayFrame(0, 0);
  EXPECT_EQ(shotKind[1], 4);
  EXPECT_EQ(Raised(), (std::vector<std::string>{"shot", "charge-full", "charged-shot-3"}));

  // Released early, the charged shot sounds by the charge reached.
  const struct {
    int frames;
    const char* sound;
  } releases[] = {{12, nullptr}, {13, "charged-shot-1"}, {50, "charged-shot-2"}, {79, "charged-shot-3"}};
  for (const auto& r : releases) {
    SetUp();
    for (int frame = 0; frame < r.frames; ++frame) PlayFrame(5, 0);
    PlayFrame(0, 0);
    std::vector<std::string> expected{"shot"};
    if (r.sound) expected.push_back(r.sound);
    if (r.frames >= 79) expected.insert(expected.begin() + 1, "charge-full");
    EXPECT_EQ(Raised(), expected) << r.frames << " frames held";
  }
}

void BulletOnTheShip() {
  bulletKind[5] = 1;
  bulletX[5] = playerX + 12;
  bulletY[5] = playerY + 22;
  CheckBulletHits();
}

TEST_F(SoundEffectsTest, EachEventRaisesItsEffect) {
  const struct {
    const char* effect;
    std::function<void()> event;
  } cases[] = {
      {"shield-hit", [] { BulletOnTheShip(); }},
      {"ship-destroyed",
       [] {
         shield = 0;
         BulletOnTheShip();
       }},
      {"item-pickup",
       [] {
         itemState[1] = 1;
         itemX[1] = playerX;
         itemY[1] = playerY;
         CheckItemPickup();
       }},
      {"bonus-capsule",
       [] {
         bonusState = 1;
         bonusX = playerX + 10;
         bonusY = playerY + 10;
         CheckCapsulePickup();
       }},
  };
  for (const auto& c : cases) {
    SetUp();
    c.event();
    EXPECT_EQ(Raised(), std::vector<std::string>{c.effect}) << c.effect;
  }
}

TEST_F(SoundEffectsTest, AnEffectRaisedEveryFrameSoundsOnlyAsOftenAsItsIntervalAllows) {
  // 23 frames, about a second; the shot may sound every other frame (70 ms),
  // a hit every third (90 ms); a bomb asks for 200 ms, so every fifth.
  const struct {
    SoundEffect effect;
    int sounded;
  } cases[] = {{SoundEffect::Shot, 12}, {SoundEffect::EnemyHit, 8}, {SoundEffect::Bomb, 5}};
  for (const auto& c : cases) {
    SetUp();
    for (int frame = 0; frame < 23; ++frame) {
      RaiseSoundEffect(c.effect);
      RaiseSoundEffect(c.effect);  // twice in one frame is once
      headless::SetClock(headless::Clock() + kFrameMs);
    }
    EXPECT_EQ(int(headless::SoundEffects().size()), c.sounded) << SoundEffectName(c.effect);
  }
  // Different effects do not hold each other back, and the interval is
  // measured across the clock's wrap.
  SetUp();
  headless::SetClock(0xFFFFFFF0u);
  RaiseSoundEffect(SoundEffect::Shot);
  RaiseSoundEffect(SoundEffect::EnemyHit);
  headless::SetClock(0x30);  // 64 ms later
  RaiseSoundEffect(SoundEffect::Shot);
  headless::SetClock(0x40);  // 80 ms later
  RaiseSoundEffect(SoundEffect::Shot);
  EXPECT_EQ(Raised(), (std::vector<std::string>{"shot", "enemy-hit", "shot"}));
}

TEST_F(SoundEffectsTest, VolumeZeroIsOffAndTheWorldIsTheSameEitherWay) {
  auto play = [this](int volume) {
    SetUp();
    ApplyEffectsVolumeSetting(volume);
    PlaceEnemy(1, 150, 150, 3, 1);
    for (int frame = 0; frame < 60; ++frame) PlayFrame(frame % 4 < 2 ? 5 : 0, frame == 40 ? 2 : 0);
    return std::vector<float>{enemyHp[1], float(enemyState[1]), score, float(bombs), float(nextShotSlot)};
  };
  const std::vector<float> on = play(10);
  EXPECT_GT(headless::SoundEffects().size(), 3u);
  const std::vector<float> off = play(0);
  EXPECT_TRUE(headless::SoundEffects().empty());
  EXPECT_EQ(on, off);

  const struct { int asked, kept; } clamps[] = {{-3, 0}, {0, 0}, {6, 6}, {10, 10}, {11, 10}};
  for (const auto& c : clamps) {
    ApplyEffectsVolumeSetting(c.asked);
    EXPECT_EQ(EffectsVolume(), c.kept) << c.asked;
  }
  ResetSoundEffects();
  EXPECT_EQ(EffectsVolume(), kDefaultEffectsVolume);
}

}  // namespace
