// A snapshot of the game as bytes: what a replay's game starts from. It comes
// back as it went, and damaged or foreign bytes are refused, never taken.
#include "app/state_snapshot.h"

#include <gtest/gtest.h>

#include <string>

#include "app/settings.h"
#include "world/world_state.h"

namespace {

StateSnapshot Sample() {
  score = 12345.5f;
  stageNo = 3;
  settingValues[0] = 7;
  StateSnapshot s;
  TakeSnapshot(&s, true);
  s.music.tune = "mukai.mid";
  s.recorder.game.tableName = "山田";
  s.practice.active = true;
  return s;
}

TEST(StateSnapshotBytes, ComeBackAsTheyWent) {
  const StateSnapshot s = Sample();
  const std::string bytes = EncodeSnapshot(s);
  StateSnapshot back;
  ASSERT_TRUE(DecodeSnapshot(bytes, &back));
  EXPECT_EQ(EncodeSnapshot(back), bytes);
  EXPECT_TRUE(back.withSettings);
  EXPECT_EQ(back.values, s.values);
  EXPECT_EQ(back.music.tune, "mukai.mid");
  EXPECT_EQ(back.recorder.game.tableName, "山田");
  EXPECT_TRUE(back.practice.active);

  // Restored, the globals are the snapshot's (settings included).
  score = 0;
  stageNo = 1;
  settingValues[0] = 0;
  RestoreSnapshotState(back);
  EXPECT_EQ(score, 12345.5f);
  EXPECT_EQ(stageNo, 3);
  EXPECT_EQ(settingValues[0], 7);
}

TEST(StateSnapshotBytes, DamagedOrForeignBytesAreRefused) {
  const std::string bytes = EncodeSnapshot(Sample());
  StateSnapshot out;
  // Cut short anywhere, or one byte longer.
  for (size_t n = 0; n < bytes.size(); ++n) EXPECT_FALSE(DecodeSnapshot(bytes.substr(0, n), &out)) << n;
  EXPECT_FALSE(DecodeSnapshot(bytes + '\0', &out));
  // Another layout of the globals (its first eight bytes name it).
  std::string other = bytes;
  other[0] ^= 1;
  EXPECT_FALSE(DecodeSnapshot(other, &out));
  // A tune that would reach outside the music folder, a flag that is not one.
  StateSnapshot s = Sample();
  for (const char* tune : {"../../etc/passwd", "a/b.mid", "C:x.mid"}) {
    s.music.tune = tune;
    EXPECT_FALSE(DecodeSnapshot(EncodeSnapshot(s), &out)) << tune;
  }
  std::string flag = bytes;
  flag[8] = 2;  // the settings flag
  EXPECT_FALSE(DecodeSnapshot(flag, &out));
  // Every byte changed in turn: refused or read, never out of bounds (the
  // sanitizer builds say so); a length changed must not be believed.
  for (size_t k = 0; k < bytes.size(); ++k) {
    std::string damaged = bytes;
    damaged[k] = char(~damaged[k]);
    DecodeSnapshot(damaged, &out);
  }
}

}  // namespace
