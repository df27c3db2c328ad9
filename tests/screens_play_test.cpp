// The screens between stages and lives: next-stage set-up, stage clear,
// continue and game over, on the headless virtual clock.
#include <algorithm>
#include <vector>

#include "app/next_stage.h"
#include "app/settings.h"
#include "platform/keys.h"
#include "platform/surface.h"
#include "presentation/continue_screen.h"
#include "presentation/game_over.h"
#include "presentation/stage_clear.h"
#include "tests/screens_fixture.h"

namespace {

// ---- Next stage ------------------------------------------------------------------

TEST_F(ScreenTest, NextStageClearsTheFinishedStage) {
  stageNo = 3;
  unlockedStage = 7;
  for (int k = 0; k < kEnemySlots; ++k) enemyState[k] = 1, enemyHp[k] = 5, enemyX[k] = 20;
  for (int k = 0; k < kBulletSlots; ++k) bulletKind[k] = 2;
  for (int k = 0; k < kShotSlots; ++k) shotKind[k] = 1, sparkTimer[k] = 9;
  itemState[1] = 1;
  playerX = 10, playerY = 20, playerBank = 3, bombPhase = 2, bombRadius = 50, sequenceTimer = 40;
  bossLightW = 350, bossLightH = 460, bonusState = 1;

  BeginNextStage();

  EXPECT_EQ(stageNo, 4);
  EXPECT_EQ(wave, 59);
  EXPECT_EQ(playerX, 150);
  EXPECT_EQ(playerY, 350);
  EXPECT_EQ(playerBank, 0);
  EXPECT_EQ(bannerTimer, 82);
  EXPECT_EQ(bannerX, 117);
  EXPECT_EQ(sequenceTimer, 0);
  EXPECT_EQ(bombPhase, 0);
  EXPECT_EQ(bombRadius, 0);
  EXPECT_EQ(fireLatch, -1);
  EXPECT_EQ(bossLightW, 0);
  EXPECT_EQ(bonusState, 0);
  EXPECT_EQ(itemState[1], 0);
  for (int k = 0; k < kEnemySlots; ++k) {
    EXPECT_EQ(enemyState[k], 0);
    EXPECT_EQ(enemyX[k], 1000);
  }
  for (int k = 0; k < kBulletSlots; ++k) EXPECT_EQ(bulletKind[k], 0);
  for (int k = 0; k < kShotSlots; ++k) EXPECT_EQ(shotKind[k], 0);
  EXPECT_EQ(blastX[1], 240);
  EXPECT_EQ(blastY[2], 260);

  stageNo = 0;
  BeginNextStage();
  EXPECT_EQ(wave, 0);  // stage 1 begins with wave 1 once the stage logic adds one
}

TEST_F(ScreenTest, NextStageRecordsANewStageInTheFile) {
  struct Case {
    uint8_t stageBefore, unlockedBefore;
    bool written;
    uint8_t unlockedAfter;
  };
  const Case cases[] = {
      {2, 2, true, 3},                     // reaching stage 3 with 2 unlocked
      {6, 6, true, 7},  {3, 5, false, 5},  // not above what is unlocked
      {3, 4, false, 4},                    // equal is not above
      {7, 7, false, 7},                    // stage 8 is never recorded
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.stageBefore));
    std::remove(ScorePath().c_str());
    stageNo = c.stageBefore;
    unlockedStage = c.unlockedBefore;
    BeginNextStage();
    EXPECT_EQ(unlockedStage, c.unlockedAfter);
    EXPECT_EQ(LoadRecordFromDisk(), c.written);
    if (c.written) {
      EXPECT_EQ(unlockedStage, c.unlockedAfter);  // as read back from the file
    }
  }
}

TEST_F(ScreenTest, EasyModeAddsAShieldPointUpToThree) {
  const struct {
    uint8_t easy;
    float before, after;
  } cases[] = {{1, 2.5f, 3}, {1, 1.5f, 2.5f}, {1, 3, 3}, {0, 1.5f, 1.5f}};
  for (const auto& c : cases) {
    easyMode = c.easy;
    shield = c.before;
    stageNo = 1;
    BeginNextStage();
    EXPECT_EQ(shield, c.after) << c.before;
  }
}

// ---- Stage clear -------------------------------------------------------------------

TEST_F(ScreenTest, StageClearCaptionTimingAndFlyOut) {
  stageNo = 1;
  unlockedStage = 1;
  playerX = 150;
  playerY = 350;
  Record();
  StageClear();

  // Caption frames: battle phase 4 while the caption crosses, one wait each.
  std::vector<FrameSample> caption, flyOut;
  for (const FrameSample& s : RecordedFrames()) {
    if (s.battlePhase != 4) continue;
    (s.sequenceTimer <= 97 ? caption : flyOut).push_back(s);
  }
  ASSERT_EQ(caption.size(), 97u);  // frame 98 takes the caption past 400 and is not drawn
  for (const FrameSample& s : caption) {
    const int t = s.sequenceTimer;
    const int expected = t <= 31 ? -233 + 10 * t : t <= 65 ? 77 : 77 + 10 * (t - 65);
    EXPECT_EQ(s.bannerX, expected) << "frame " << t;
    EXPECT_EQ(s.to - s.from, 43u);
  }
  EXPECT_EQ(caption.front().sequenceTimer, 1);
  EXPECT_EQ(caption.back().bannerX, 397);

  // The ship leaves from y 350 in 28 frames of 20 pixels.
  ASSERT_EQ(flyOut.size(), 28u);
  EXPECT_EQ(flyOut.front().playerY, 330);
  EXPECT_EQ(flyOut.back().playerY, -210);

  // Then the next stage, recorded in the file.
  EXPECT_EQ(stageNo, 2);
  EXPECT_EQ(battlePhase, 0);
  EXPECT_EQ(playerY, 350);
  ASSERT_TRUE(LoadRecordFromDisk());
  EXPECT_EQ(unlockedStage, 2);
}

// The first caption frame's picture where the ship stands, as differences
// from the background under it.
std::vector<uint32_t>& CaptionShipArea() {
  static std::vector<uint32_t> area;
  return area;
}

void NoteCaptionShipArea(const FrameSample& s) {
  if (s.battlePhase != 4 || s.sequenceTimer != 1 || !CaptionShipArea().empty()) return;
  for (int y = 100 - 10; y < 100 + 75; ++y)
    for (int x = 150 - 10; x < 150 + 55; ++x) {
      const size_t at = size_t(y) * kScreenWidth + size_t(x);
      CaptionShipArea().push_back(scrmain.pixels[at] ^ scrback.pixels[size_t(y) * scrback.width + size_t(x)]);
    }
}

TEST_F(ScreenTest, StageClearCaptionDrawsTheShipOnlyWhilePlayGoesOn) {
  // A player lost as the boss fell shows the death glow (nothing once it has
  // faded), not the ship.
  struct Case {
    uint8_t mode, fade;
  };
  const Case cases[] = {{0, 0}, {3, 0}, {3, 60}};
  std::vector<std::vector<uint32_t>> areas;
  for (const Case& c : cases) {
    if (&c != cases) {  // a fresh game for each case
      TearDown();
      SetUp();
    }
    stageNo = 1;
    playerX = 150;
    playerY = 100;
    gameMode = c.mode;
    deathFade = c.fade;
    CaptionShipArea().clear();
    WaitHook() = NoteCaptionShipArea;
    Record();
    StageClear();
    ASSERT_FALSE(CaptionShipArea().empty());
    areas.push_back(CaptionShipArea());
  }
  const auto drawn = [](const std::vector<uint32_t>& a) {
    return std::count_if(a.begin(), a.end(), [](uint32_t d) { return d != 0; });
  };
  EXPECT_GT(drawn(areas[0]), 0) << "the ship in play";
  EXPECT_EQ(drawn(areas[1]), 0) << "a faded-out player leaves nothing";
  EXPECT_GT(drawn(areas[2]), 0) << "the death glow";
  EXPECT_NE(areas[2], areas[0]) << "the glow is not the ship";
}

// ---- Continue --------------------------------------------------------------------------

// The glow frames of a continue: the waits that end frames with the ring grown.
std::vector<FrameSample> GlowFrames() {
  std::vector<FrameSample> glow;
  for (const FrameSample& s : RecordedFrames())
    if (s.bombRadius > 0 && s.gameMode == 3) glow.push_back(s);
  return glow;
}

TEST_F(ScreenTest, ContinueNeedsAFreshPressAndRestartsPlay) {
  struct Case {
    uint8_t easy;
    float scoreBefore, scoreAfter;
    uint8_t bombsBefore;
    float shieldBefore;
  };
  const Case cases[] = {
      {0, 100000, 33333, 0, 0},
      {1, 100000, 100000, 5, 0.5f},
      {0, 2, 0, 2, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scoreBefore);
    headless::Reset();
    headless::SetBaseDirectory(dir_);
    RecordedFrames().clear();
    gameMode = 3;
    easyMode = c.easy;
    score = c.scoreBefore;
    bombs = c.bombsBefore;
    shield = c.shieldBefore;
    fullRunFlag = 1;
    bombRadius = 0;
    bulletKind[7] = 1;
    // A held from the game, released at 300 ms, pressed again at 500 ms.
    headless::HoldKey(kVkA, 0, 300);
    headless::HoldKey(kVkA, 500, 600);
    Record();
    ContinuePrompt();

    const std::vector<FrameSample> glow = GlowFrames();
    ASSERT_EQ(glow.size(), 16u);
    EXPECT_GE(glow.front().from, 500u);  // the held key did not answer
    for (size_t k = 0; k < glow.size(); ++k) {
      EXPECT_EQ(glow[k].bombRadius, int16_t(12 * (k + 1)));
      EXPECT_EQ(glow[k].to - glow[k].from, 47u);
    }
    EXPECT_EQ(score, c.scoreAfter);
    EXPECT_EQ(bombs, 2);
    EXPECT_EQ(shield, 3);
    EXPECT_EQ(gameMode, 4);
    EXPECT_EQ(invulnTimer, 17);
    EXPECT_EQ(bombPhase, 2);
    EXPECT_EQ(bombRadius, 0);
    EXPECT_EQ(fullRunFlag, 0);
    EXPECT_EQ(bulletKind[7], 0);
  }
}

TEST_F(ScreenTest, ContinuePromptYieldsWhileWaitingAndBothKeysMeanYes) {
  gameMode = 3;
  headless::HoldKey(kVkA, 2000, 2100);
  headless::HoldKey(kVkS, 2000, 2100);
  Record();
  ContinuePrompt();
  EXPECT_EQ(gameMode, 4);
  // The wait before the answer passed in short sleeps, not in a spin.
  size_t shortWaits = 0;
  for (const FrameSample& s : RecordedFrames())
    if (s.to <= 2000 && s.to - s.from == 1) ++shortWaits;
  EXPECT_EQ(shortWaits, 2000u);
}

// The prompt names the keys that answer it, and they do: the bound fire and
// bomb keys, never a key two controls share.
TEST_F(ScreenTest, TheContinuePromptActsOnTheKeysItNames) {
  struct Case {
    const char* name;
    void (*bind)();
    const char* yes;
    const char* no;
    int pressed;
    bool continues;
  };
  const Case cases[] = {
      {"defaults: A continues", [] {}, "YES･･PUSH A KEY", "NO･･PUSH S KEY", kVkA, true},
      {"defaults: S ends", [] {}, "YES･･PUSH A KEY", "NO･･PUSH S KEY", kVkS, false},
      {"second fire on S: the bomb key is Z now, and ends",
       [] { BindControl(kSettingFireKey2, kVkS); }, "YES･･PUSH A KEY", "NO･･PUSH Z KEY", kVkZ, false},
      {"second fire on S: S continues as a fire key",
       [] { BindControl(kSettingFireKey2, kVkS); }, "YES･･PUSH A KEY", "NO･･PUSH Z KEY", kVkS, true},
      {"fire on J, bomb on K: K ends",
       [] {
         BindControl(kSettingFireKey, 'J');
         BindControl(kSettingBombKey, 'K');
       },
       "YES･･PUSH J KEY", "NO･･PUSH K KEY", 'K', false},
      {"fire on Space", [] { BindControl(kSettingFireKey, kVkSpace); }, "YES･･PUSH SPACE KEY", "NO･･PUSH S KEY",
       kVkSpace, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    headless::Reset();
    headless::SetBaseDirectory(dir_);
    UsePrivateDefaultSettings("continue-keys");
    c.bind();
    EXPECT_EQ(ContinueAnswerText("YES", buttonKeys[0]), c.yes);
    EXPECT_EQ(ContinueAnswerText("NO", buttonKeys[1]), c.no);
    gameMode = 3;
    score = 500;
    bombRadius = 0;
    playerX = 150;
    headless::HoldKey(c.pressed, 100, 200);
    ContinuePrompt();
    EXPECT_EQ(gameMode, c.continues ? 4 : 3);
    EXPECT_EQ(playerX == 46, !c.continues) << "the game over ran";
  }
  UsePrivateDefaultSettings("continue-keys");
}

// ---- Game over ---------------------------------------------------------------------------

TEST_F(ScreenTest, HighScorePromptNamesTheRankReached) {
  struct Case {
    float table[5];
    float score;
    const char* prompt;  // nullptr: no dialog
  };
  const Case cases[] = {
      {{10000, 5000, 3000, 2000, 1000}, 1000, nullptr},
      {{10000, 5000, 3000, 2000, 1000}, 999, nullptr},
      {{10000, 5000, 3000, 2000, 1000}, 10000, "二位です！名前を入力してください（最大６文字)"},
      {{10000, 5000, 3000, 2000, 1000}, 10001, "ハイスコアです！名前を入力してください（最大６文字)"},
      {{10000, 5000, 3000, 2000, 1000}, 3000, "四位です！名前を入力してください（最大６文字)"},
      {{10000, 5000, 3000, 2000, 1000}, 1001, "五位です！名前を入力してください（最大６文字)"},
      {{10000, 5000, 3000, 2000, 1000}, 4000, "三位です！名前を入力してください（最大６文字)"},
      {{0, 0, 0, 0, 0}, 1, "ハイスコアです！名前を入力してください（最大６文字)"},
      {{0, 0, 0, 0, 0}, 0, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.score);
    headless::Reset();
    headless::SetBaseDirectory(dir_);
    std::copy(c.table, c.table + 5, hiScores);
    score = c.score;
    PromptHighScoreName();  // unanswered: the dialog is cancelled
    if (!c.prompt) {
      EXPECT_TRUE(headless::Messages().empty());
      continue;
    }
    ASSERT_EQ(headless::Messages().size(), 1u);
    EXPECT_EQ(headless::Messages()[0].kind, "name");
    EXPECT_EQ(headless::Messages()[0].text, c.prompt);
    EXPECT_EQ(hiScores[4], c.table[4]);  // cancelled: nothing entered
  }
}

// A game-over picture whose rows can be told apart: sprite row r has the
// colour r + 1, the mask is opaque everywhere.
struct RowPicture {
  std::vector<uint32_t> px = std::vector<uint32_t>(259 * 92, 0);
  Surface saved;
  RowPicture() {
    for (int y = 0; y < 46; ++y)
      for (int x = 0; x < 259; ++x) px[size_t(y) * 259 + x] = uint32_t(y + 1);
    saved = imgchar[11];
    imgchar[11] = Surface{259, 92, px.data()};
  }
  ~RowPicture() { imgchar[11] = saved; }
};

struct RevealSample {
  float counter;
  uint32_t row255, row210, row209;
};
std::vector<RevealSample>& RevealSamples() {
  static std::vector<RevealSample> samples;
  return samples;
}
void NoteReveal(const FrameSample& s) {
  auto at = [](int y) { return scrmain.pixels[size_t(y) * scrmain.width + 100]; };
  RevealSamples().push_back({s.playerX, at(255), at(210), at(209)});
}

TEST_F(ScreenTest, GameOverRaisesThePictureAndHoldsUntilEighteenSeconds) {
  RowPicture picture;
  RevealSamples().clear();
  gameMode = 3;
  score = 4000;
  headless::QueueName("ぺるき");
  headless::SetClock(5000);
  Record();
  WaitHook() = NoteReveal;
  GameOver();

  const std::vector<FrameSample>& frames = RecordedFrames();
  const std::vector<RevealSample>& shots = RevealSamples();
  const uint32_t start = uint32_t(sceneStartMs);
  EXPECT_EQ(start, 5000u);
  // The reveal: 46 frames, the counter already advanced at each wait.
  int revealFrames = 0;
  for (size_t k = 0; k < frames.size(); ++k) {
    if (frames[k].to - frames[k].from != 43 || shots[k].counter < 1 || frames[k].from > start + 2300 + 46 * 43)
      continue;
    ++revealFrames;
    const int shown = int(shots[k].counter) - 1;                 // rows on screen in this frame
    EXPECT_EQ(shots[k].row255, shown >= 1 ? 46u : 0u) << shown;  // the bottom row comes first
  }
  EXPECT_EQ(revealFrames, 46);
  // The whole picture in the hold, its top row at y 210.
  bool sawWhole = false;
  for (const RevealSample& s : shots) sawWhole |= s.row210 == 1u && s.row209 == 0u && s.row255 == 46u;
  EXPECT_TRUE(sawWhole);

  // The name dialog came after the reveal and entered the score at place 3.
  EXPECT_EQ(hiScores[2], 4000);
  EXPECT_EQ(hiNames[2], "ぺるき");
  ASSERT_TRUE(LoadRecordFromDisk());
  EXPECT_EQ(hiNames[2], "ぺるき");

  // The hold ends in the first frame past 18 s after the tune started.
  auto closing =
      std::find_if(frames.begin(), frames.end(), [](const FrameSample& s) { return s.to - s.from == 500; });
  ASSERT_NE(closing, frames.end());
  EXPECT_GT(closing->from, start + 18000);
  EXPECT_LE(closing->from, start + 18000 + 43);
  EXPECT_EQ(gameMode, 3);
}

TEST_F(ScreenTest, DecliningTheContinueRunsTheGameOverWithoutANameForALowScore) {
  gameMode = 3;
  score = 500;
  headless::HoldKey(kVkS, 100, 200);
  Record();
  ContinuePrompt();
  EXPECT_EQ(gameMode, 3);
  EXPECT_EQ(score, 500);
  EXPECT_EQ(playerX, 46);  // the reveal ran
  EXPECT_TRUE(headless::Messages().empty());
  EXPECT_GT(headless::Clock(), 100u + 18000u);
  EXPECT_FALSE(LoadRecordFromDisk());  // nothing written
}

}  // namespace
