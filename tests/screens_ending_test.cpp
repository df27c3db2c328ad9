// The ending and staff roll on the headless virtual clock.
#include <algorithm>
#include <vector>

#include "app/replay_recorder.h"
#include "platform/keys.h"
#include "platform/surface.h"
#include "presentation/ending.h"
#include "tests/screens_fixture.h"

namespace {

constexpr uint32_t kStart = 1000;  // virtual clock when the ending begins

class EndingTest : public ScreenTest {
 protected:
  void RunEnding() {
    stageNo = 8;
    gameMode = 0;
    headless::SetClock(kStart);
    headless::SetStopTime(kStart + 400000);  // a hang fails instead of running on
    Record();
    Ending();
  }
  // Where the staff-roll page changed: the start of the frame that turned it
  // (the end of the last paced frame of the old page), from the roll's start.
  struct PageChange {
    uint8_t page;
    int32_t atMs;
  };
  static std::vector<PageChange> PageChanges() {
    std::vector<PageChange> changes;
    const std::vector<FrameSample>& f = RecordedFrames();
    size_t lastFrame = 0;  // the last paced frame seen
    for (size_t k = 1; k < f.size(); ++k) {
      if (f[k].enemyState0 < 12 || f[k - 1].enemyState0 < 12) continue;  // staff roll only
      if (f[k].stageNo != f[k - 1].stageNo && f[k].stageNo != 0)         // 0: the title after the end
        changes.push_back({f[k].stageNo, int32_t(f[lastFrame].after) - f[k].sceneStartMs});
      if (f[k].to - f[k].from == 43) lastFrame = k;
    }
    return changes;
  }
};

TEST_F(EndingTest, StaffPagesFollowTheClockAndTheRunEndsAtTheTitle) {
  RunEnding();
  const std::vector<PageChange> changes = PageChanges();
  const struct {
    uint8_t page;
    int32_t from, to;
  } expected[] = {{5, 30500, 30800}, {4, 45600, 45900}, {3, 60700, 61000},
                  {2, 75800, 76300}, {1, 90900, 91100}, {7, 107000, 107200}};
  ASSERT_EQ(changes.size(), 6u);
  for (size_t k = 0; k < changes.size(); ++k) {
    EXPECT_EQ(changes[k].page, expected[k].page);
    EXPECT_GE(changes[k].atMs, expected[k].from);
    EXPECT_LE(changes[k].atMs, expected[k].to);
  }

  // The text groups of the first page stop at 97 and 87, of the others at 97.
  for (const FrameSample& s : RecordedFrames()) {
    if (s.enemyState0 < 12 || s.bannerX == -3683) continue;
    const int t = s.sequenceTimer;
    const bool first = s.stageNo == 6, other = s.stageNo >= 1 && s.stageNo <= 5;
    if ((first && t >= 378 && t <= 472) || (other && t >= 102 && t <= 227)) {
      EXPECT_EQ(s.bannerX, 97) << t;
    }
    if ((first && t >= 546 && t <= 650) || (other && t >= 132 && t <= 250)) {
      EXPECT_EQ(s.line2X, first ? 87 : 97) << t;
    }
    EXPECT_EQ(s.shipPose, 0);  // no P key, no transformation
  }

  // The logo ends in mode 9; "FIN.." fades from black to white in 26 frames.
  std::vector<uint8_t> fin;
  for (const FrameSample& s : RecordedFrames())
    if (s.enemyState0 == 16 && s.gameMode == 9) fin.push_back(s.finFadeLevel);
  ASSERT_GT(fin.size(), 30u);
  for (size_t k = 0; k < 27; ++k) EXPECT_EQ(fin[k], k);
  EXPECT_EQ(fin.back(), 26);

  // The end comes in the first frame past 139 s, then the title.
  const FrameSample* lastRollFrame = nullptr;
  for (const FrameSample& s : RecordedFrames())
    if (s.enemyState0 == 16 && s.to - s.from == 43) lastRollFrame = &s;
  ASSERT_NE(lastRollFrame, nullptr);
  const int32_t endAt = int32_t(lastRollFrame->to) - lastRollFrame->sceneStartMs;
  EXPECT_GE(endAt, 139000);
  EXPECT_LT(endAt, 139000 + 43);
  EXPECT_EQ(gameMode, 3);
}

// A frame so slow that it spans a page's whole window still turns the page,
// once and in order, and so does the end.
TEST_F(EndingTest, SlowFramesDoNotLoseAPageOrTheEnd) {
  WaitHook() = [](const FrameSample& s) {
    static bool skippedPage = false, skippedEnd = false;
    if (s.enemyState0 < 12) {
      skippedPage = skippedEnd = false;
      return;
    }
    const int32_t d = int32_t(s.to) - s.sceneStartMs;
    if (!skippedPage && d >= 90700 && d < 90900) {
      skippedPage = true;
      headless::SetClock(s.to + 600);  // past 91100
    }
    if (!skippedEnd && d >= 138800 && d < 139000) {
      skippedEnd = true;
      headless::SetClock(s.to + 900);  // past 139500
    }
  };
  RunEnding();
  const std::vector<PageChange> changes = PageChanges();
  ASSERT_EQ(changes.size(), 6u);
  EXPECT_EQ(changes[4].page, 1);
  EXPECT_GT(changes[4].atMs, 91100);
  EXPECT_EQ(changes[5].page, 7);
  EXPECT_EQ(gameMode, 3);
}

TEST_F(EndingTest, ShipTransformsOnPageOneWhenPIsHeld) {
  // P held from late on page 2 until page 1 has opened.
  WaitHook() = [](const FrameSample& s) {
    const int32_t d = int32_t(s.to) - s.sceneStartMs;
    if (s.enemyState0 == 12 && s.stageNo == 2 && d > 90000) headless::SetKeyDown(kVkP, true);
    if (s.stageNo == 1 && s.sequenceTimer > 0) headless::SetKeyDown(kVkP, false);
  };
  RunEnding();
  struct Pose {
    int t;
    uint8_t pose, frame;
  };
  const Pose expected[] = {{176, 1, 0}, {177, 2, 0}, {182, 2, 1}, {200, 3, 3}, {230, 3, 5},
                           {270, 3, 4}, {280, 3, 3}, {292, 4, 3}, {296, 4, 2}};
  for (const Pose& e : expected) {
    auto it = std::find_if(RecordedFrames().begin(), RecordedFrames().end(), [&](const FrameSample& s) {
      return s.enemyState0 == 12 && s.stageNo == 1 && s.sequenceTimer == e.t;
    });
    ASSERT_NE(it, RecordedFrames().end()) << e.t;
    EXPECT_EQ(it->shipPose, e.pose) << e.t;
    EXPECT_EQ(it->poseFrame, e.frame) << e.t;
  }
  // The page's clock stops with its texts, the folding goes on by frames and
  // ends before the last page.
  auto lastOfPage1 = std::find_if(RecordedFrames().rbegin(), RecordedFrames().rend(),
                                  [](const FrameSample& s) { return s.enemyState0 == 12 && s.stageNo == 1; });
  ASSERT_NE(lastOfPage1, RecordedFrames().rend());
  EXPECT_EQ(lastOfPage1->shipPose, 5);
  EXPECT_EQ(lastOfPage1->poseFrame, 0);
}

TEST_F(EndingTest, MedalsOfTheRunAreAwardedAndSaved) {
  struct Case {
    const char* what;
    uint8_t fullRun, hard, easy, revenge;
    float score;
    uint8_t before[5], after[5];
    uint8_t earned;  // the medals the replay keeps for the game, bit k for medal k
  };
  const Case cases[] = {
      {"full normal run", 1, 0, 0, 0, 100, {1, 1, 1, 1, 1}, {10, 10, 1, 1, 1}, 0b00011},
      {"earned or zero medals stay", 1, 0, 0, 0, 100, {10, 0, 1, 1, 1}, {10, 0, 1, 1, 1}, 0b00011},
      {"continued run", 0, 0, 0, 0, 500000, {1, 1, 1, 1, 1}, {1, 10, 10, 1, 1}, 0b00110},
      {"full hard run", 1, 1, 0, 0, 100, {1, 1, 1, 1, 1}, {1, 10, 1, 10, 1}, 0b01010},
      {"full hardest run", 1, 1, 0, 1, 100, {1, 1, 1, 1, 1}, {1, 10, 1, 1, 10}, 0b10010},
      {"full easy run", 1, 0, 1, 0, 100, {1, 1, 1, 1, 1}, {1, 10, 1, 1, 1}, 0b00010},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    headless::Reset();
    headless::SetBaseDirectory(dir_);
    RecordedFrames().clear();
    std::remove(ScorePath().c_str());
    SetDefaultScoreTable();
    std::copy(c.before, c.before + 5, medals);
    fullRunFlag = c.fullRun;
    hardMode = c.hard;
    easyMode = c.easy;
    revengeFire = c.revenge;
    score = c.score;
    RunEnding();
    for (int k = 0; k < 5; ++k) EXPECT_EQ(medals[k], c.after[k]) << k;
    EXPECT_EQ(MedalsOfGame(), c.earned);
    // The score does not rank here (or the dialog is cancelled): changed
    // medals reach the file all the same; unchanged ones write nothing.
    const bool changed = !std::equal(c.before, c.before + 5, c.after);
    SetDefaultScoreTable();
    ASSERT_EQ(LoadRecordFromDisk(), changed);
    if (changed) {
      for (int k = 0; k < 5; ++k) EXPECT_EQ(medals[k], c.after[k]) << k;
    }
  }
}

}  // namespace
