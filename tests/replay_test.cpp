#include <dirent.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <set>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/replay_recorder.h"
#include "app/settings.h"
#include "data/score_file.h"
#include "frontend/title.h"
#include "platform/files.h"
#include "platform/headless/headless.h"
#include "platform/input.h"
#include "platform/keys.h"
#include "platform/machine.h"
#include "platform/replay_file.h"
#include "presentation/game_reset.h"
#include "tests/support/game_fixture.h"
#include "tests/support/screen_runner.h"
#include "world/world_state.h"

namespace {

struct PlaybackEnded {
  bool mismatch;
};
[[noreturn]] void ThrowEnd(bool mismatch, const char*) { throw PlaybackEnded{mismatch}; }

// Every kind of reading once or more, returning the answers as text so that
// a recording and its playback can be compared whole.
std::string ReadEverything() {
  std::string seen;
  const auto add = [&](uint64_t v) { seen += std::to_string(v) + " "; };
  add(machine::RandomSeed());
  add(machine::ReadClockMs());
  machine::Idle(43);
  add(machine::ReadClockMs());
  add(machine::IsKeyDown(kVkLeft));
  add(machine::IsKeyDown(kVkA));
  add(machine::QueryKey(kVkCtrl));
  add(uint64_t(machine::JoystickCount()));
  platform::JoyState joy;
  add(machine::ReadJoystick(0, &joy));
  add(joy.x);
  add(joy.buttons);
  add(machine::AskYesNo("question", "title"));
  std::string name;
  add(machine::RunNameDialog("caption", "prompt", 8, &name));
  seen += name + " ";
  add(machine::ReadValue(0xFFFFFFFFu));
  int error = 0;
  std::string file;
  machine::ReadStateFile(&error, &file, [](int* e, std::string* b) {
    *e = 0;
    *b = std::string("\0score\xff", 7);
  });
  add(uint64_t(error));
  seen += file;
  return seen;
}

size_t compressedSize = 0;

// Ends the recording under way and makes a replay file of it for `build`.
std::vector<uint8_t> FinishRecording(const std::string& build, float score) {
  const uint8_t* compressed;
  size_t size;
  uint64_t rawSize;
  uint32_t crc;
  EXPECT_TRUE(machine::FlushRecording(&compressed, &size, &rawSize, &crc));
  machine::StopRecording();
  compressedSize = size;
  ReplayInfo info;
  info.build = build;
  info.score = score;
  return EncodeReplay(info, compressed, size, rawSize, crc);
}

std::vector<uint8_t> RecordFile(const std::string& build, std::string* answers) {
  EXPECT_TRUE(machine::StartRecording());
  headless::SetClock(0xFFFFFFF0u);  // the clock wraps during the recording
  headless::SetSeed(1234567);
  headless::SetKeyDown(kVkA, true);
  headless::SetJoystickPresent(true);
  platform::JoyState joy;
  joy.x = 65535;
  joy.buttons = 9;
  headless::SetJoystick(0, 0xFFFFFFFFu, joy);
  headless::QueueAnswer(true);
  headless::QueueName("名前");
  *answers = ReadEverything();
  return FinishRecording(build, 12345);
}

class ReplayTest : public GameTest {
 protected:
  void TearDown() override {
    machine::GoLive();
    machine::SetPlaybackEndHandler(nullptr);
  }
};

TEST_F(ReplayTest, PlaybackHandsBackEveryRecordedAnswerAndStopsAtTheEnd) {
  std::string recorded;
  const std::vector<uint8_t> file = RecordFile(kBuildIdentity, &recorded);
  ReplayInfo info;
  std::vector<uint8_t> raw;
  std::string error;
  ASSERT_TRUE(LoadReplay(file.data(), file.size(), kBuildIdentity, &info, &raw, &error)) << error;
  EXPECT_EQ(info.score, 12345.0f);

  // A machine that would answer otherwise: nothing pressed, no dialogs queued.
  headless::Reset();
  machine::SetPlaybackEndHandler(ThrowEnd);
  machine::StartPlaying(raw.data(), raw.size(), false, true);
  EXPECT_EQ(ReadEverything(), recorded);
  try {
    machine::ReadClockMs();
    FAIL() << "read past the end of the replay";
  } catch (const PlaybackEnded& e) {
    EXPECT_FALSE(e.mismatch);
  }
  EXPECT_FALSE(machine::IsPlayingBack());
  EXPECT_TRUE(headless::Messages().empty()) << "a replay showed the machine's dialogs";
}

TEST_F(ReplayTest, AReadingTheReplayDoesNotHoldStopsPlayback) {
  std::string recorded;
  const std::vector<uint8_t> file = RecordFile(kBuildIdentity, &recorded);
  ReplayInfo info;
  std::vector<uint8_t> raw;
  std::string error;
  ASSERT_TRUE(LoadReplay(file.data(), file.size(), kBuildIdentity, &info, &raw, &error)) << error;
  // The seed first, then the clock: reading a key where the seed stands, or
  // the seed and then another key, are both other code than recorded.
  struct Case {
    const char* what;
    void (*reads)();
  };
  const Case cases[] = {
      {"a key for the seed", [] { machine::IsKeyDown(kVkA); }},
      {"a wait of another length",
       [] {
         machine::RandomSeed();
         machine::ReadClockMs();
         machine::Idle(42);
       }},
      {"another key",
       [] {
         machine::RandomSeed();
         machine::ReadClockMs();
         machine::Idle(43);
         machine::ReadClockMs();
         machine::IsKeyDown(kVkRight);
       }},
  };
  for (const Case& c : cases) {
    machine::SetPlaybackEndHandler(ThrowEnd);
    machine::StartPlaying(raw.data(), raw.size(), false, true);
    try {
      c.reads();
      ADD_FAILURE() << c.what << ": played on";
    } catch (const PlaybackEnded& e) {
      EXPECT_TRUE(e.mismatch) << c.what;
    }
  }
}

// The raw stream of the readings `reads` takes while recording.
std::vector<uint8_t> RecordRaw(void (*reads)()) {
  EXPECT_TRUE(machine::StartRecording());
  reads();
  const std::vector<uint8_t> file = FinishRecording(kBuildIdentity, 0);
  ReplayInfo info;
  std::vector<uint8_t> raw;
  std::string error;
  EXPECT_TRUE(LoadReplay(file.data(), file.size(), kBuildIdentity, &info, &raw, &error)) << error;
  return raw;
}

uint32_t liveRare[2];
int liveRareCalls;
uint32_t LiveRare0() { return ++liveRareCalls, liveRare[0]; }
uint32_t LiveRare1() { return ++liveRareCalls, liveRare[1]; }

// A rare value is in the stream only when it is not 0: a game that never
// had one leaves the stream it left before, and such a stream plays back
// under code that asks for it; one that had it plays back its value, named.
TEST_F(ReplayTest, RareValuesAreKeptOnlyWhenNotZero) {
  const auto withRare = [] {
    machine::ReadValue(7);
    machine::ReadRareValue(1, LiveRare0);
    machine::ReadRareValue(2, LiveRare1);
    machine::ReadValue(8);
  };
  const auto without = [] {
    machine::ReadValue(7);
    machine::ReadValue(8);
  };
  liveRare[0] = liveRare[1] = 0;
  EXPECT_EQ(RecordRaw(withRare), RecordRaw(without));

  struct Case {
    uint32_t first, second;
  };
  for (const Case& c : {Case{0, 0}, Case{0, 5}, Case{3, 0}, Case{3, 0xFFFFFFFFu}}) {
    SCOPED_TRACE(std::to_string(c.first) + " " + std::to_string(c.second));
    liveRare[0] = c.first;
    liveRare[1] = c.second;
    const std::vector<uint8_t> raw = RecordRaw(withRare);
    liveRare[0] = liveRare[1] = 9;  // the machine would answer otherwise now
    liveRareCalls = 0;
    machine::SetPlaybackEndHandler(ThrowEnd);
    machine::StartPlaying(raw.data(), raw.size(), false, true);
    EXPECT_EQ(machine::ReadValue(0), 7u);
    EXPECT_EQ(machine::ReadRareValue(1, LiveRare0), c.first);
    EXPECT_EQ(machine::ReadRareValue(2, LiveRare1), c.second);
    EXPECT_EQ(machine::ReadValue(0), 8u);
    EXPECT_EQ(liveRareCalls, 0) << "playback asked the machine";
    machine::GoLive();
  }
  // Asked for under another name, a kept value is not handed out.
  liveRare[0] = 0;
  liveRare[1] = 5;
  const std::vector<uint8_t> raw = RecordRaw(withRare);
  machine::SetPlaybackEndHandler(ThrowEnd);
  machine::StartPlaying(raw.data(), raw.size(), false, true);
  EXPECT_EQ(machine::ReadValue(0), 7u);
  EXPECT_EQ(machine::ReadRareValue(1, LiveRare0), 0u);
  EXPECT_EQ(machine::ReadRareValue(1, LiveRare0), 0u);
  EXPECT_EQ(machine::ReadRareValue(2, LiveRare1), 5u);
}

TEST_F(ReplayTest, DamagedOrForeignFilesAreRefusedWithAReason) {
  std::string recorded;
  const std::vector<uint8_t> file = RecordFile("Tessivane 0.9 (game rules 0)", &recorded);
  ReplayInfo info;
  std::vector<uint8_t> raw;
  std::string error;

  ASSERT_FALSE(LoadReplay(file.data(), file.size(), kBuildIdentity, &info, &raw, &error));
  EXPECT_NE(error.find("Tessivane 0.9 (game rules 0)"), std::string::npos) << error;
  EXPECT_NE(error.find(kBuildIdentity), std::string::npos) << error;

  const std::string own = "Tessivane 0.9 (game rules 0)";
  ASSERT_TRUE(LoadReplay(file.data(), file.size(), own, &info, &raw, &error)) << error;
  for (size_t n = 0; n < file.size(); ++n) {
    error.clear();
    EXPECT_FALSE(LoadReplay(file.data(), n, own, &info, &raw, &error)) << "cut to " << n << " bytes";
    EXPECT_FALSE(error.empty());
  }
  std::vector<uint8_t> longer = file;
  longer.push_back(0);
  EXPECT_FALSE(LoadReplay(longer.data(), longer.size(), own, &info, &raw, &error));
  // Any byte of the stream changed: the checksum or the inflater says so.
  for (size_t k = file.size() - compressedSize; k < file.size(); ++k) {
    std::vector<uint8_t> damaged = file;
    damaged[k] ^= 0x55;
    EXPECT_FALSE(LoadReplay(damaged.data(), damaged.size(), own, &info, &raw, &error)) << "byte " << k;
  }
  const std::string garbage = "TVREPLAY\x01\x00garbage that is not a replay at all";
  EXPECT_FALSE(
      LoadReplay(reinterpret_cast<const uint8_t*>(garbage.data()), garbage.size(), own, &info, &raw, &error));
  std::vector<uint8_t> otherVersion = file;
  otherVersion[8] = 4;  // a version this game does not know yet
  EXPECT_FALSE(LoadReplay(otherVersion.data(), otherVersion.size(), own, &info, &raw, &error));
  EXPECT_NE(error.find("version 4"), std::string::npos) << error;
}

// 25 replays a second apart, and one more in the second of the 20th newest,
// named with its number ("-2" is the later of the two). Among the old ones:
// one that reached the ending, one behind a place of the table that still
// stands, one whose place was taken since, and one with the table's score and
// name that made no place. A file of another program is left alone.
TEST_F(ReplayTest, AFullFolderKeepsTheRecentTheTablesAndTheEndingsRuns) {
  char pattern[] = "/tmp/tessivane_replays_XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string folder = pattern;
  SetDefaultScoreTable();
  hiScores[1] = 5000;
  hiNames[1] = "AAA";
  const auto write = [&](const std::string& name, const ReplayInfo& info) {
    const std::vector<uint8_t> bytes = EncodeReplay(info, nullptr, 0, 0, 0);
    int error;
    ASSERT_TRUE(files::ReplaceFileAtomically(folder + "/" + name, bytes.data(), bytes.size(), &error));
  };
  for (int k = 0; k < 25; ++k) {
    ReplayInfo info;
    info.build = kBuildIdentity;
    info.recordedAt = 1000 + uint64_t(k);
    if (k == 2) info.ending = kReplayEndedByEnding;
    if (k == 3 || k == 4) info.tablePlace = 1;
    if (k == 0 || k == 3) {
      info.tableName = "AAA";
      info.score = 5000;
    }
    if (k == 4) {
      info.tableName = "BBB";
      info.score = 4000;
    }
    write(k == 5 ? "20200101-000000-2.tvreplay" : "r" + std::to_string(100 + k) + ".tvreplay", info);
  }
  ReplayInfo sameSecond;
  sameSecond.build = kBuildIdentity;
  sameSecond.recordedAt = 1005;
  write("20200101-000000.tvreplay", sameSecond);
  int error;
  ASSERT_TRUE(files::ReplaceFileAtomically(folder + "/notes.tvreplay", "text", 4, &error));

  KeepReplays(folder);

  std::set<std::string> left;
  DIR* dir = opendir(folder.c_str());
  while (const dirent* e = readdir(dir))
    if (e->d_name[0] != '.') left.insert(e->d_name);
  closedir(dir);
  std::set<std::string> expected = {"r102.tvreplay", "r103.tvreplay", "notes.tvreplay",
                                    "20200101-000000-2.tvreplay"};
  for (int k = 6; k < 25; ++k) expected.insert("r" + std::to_string(100 + k) + ".tvreplay");
  EXPECT_EQ(left, expected);
  for (const std::string& name : left) unlink((folder + "/" + name).c_str());
  rmdir(folder.c_str());
  unlink((folder + ".index").c_str());
}

// Twenty replays dated years ahead cannot push new games out: the game just
// written stays, and so does the one before it at the next game.
TEST_F(ReplayTest, FutureDatedReplaysNeverPushOutNewGames) {
  char pattern[] = "/tmp/tessivane_replays_XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string folder = pattern;
  SetDefaultScoreTable();
  const auto write = [&](const std::string& name, uint64_t recordedAt) {
    ReplayInfo info;
    info.build = kBuildIdentity;
    info.recordedAt = recordedAt;
    const std::vector<uint8_t> bytes = EncodeReplay(info, nullptr, 0, 0, 0);
    int error;
    ASSERT_TRUE(files::ReplaceFileAtomically(folder + "/" + name, bytes.data(), bytes.size(), &error));
  };
  const uint64_t in2035 = 2051222400;
  for (int k = 0; k < kKeptRecentReplays; ++k) write("future" + std::to_string(k) + ".tvreplay", in2035 + k);
  const uint64_t now = uint64_t(std::time(nullptr));
  write("first.tvreplay", now - 60);
  KeepReplays(folder, "first.tvreplay");
  write("second.tvreplay", now);
  KeepReplays(folder, "second.tvreplay");
  EXPECT_EQ(access((folder + "/first.tvreplay").c_str(), F_OK), 0) << "the game before the last was pushed out";
  EXPECT_EQ(access((folder + "/second.tvreplay").c_str(), F_OK), 0) << "the game just written was removed";
  DIR* dir = opendir(folder.c_str());
  while (const dirent* e = readdir(dir))
    if (e->d_name[0] != '.') unlink((folder + "/" + e->d_name).c_str());
  closedir(dir);
  rmdir(folder.c_str());
}

// A header's claims keep an old replay only when this game wrote it as it is
// (its index beside the folder): a file dropped in later that claims the
// ending, or one of the game's own whose header was changed since, is judged
// as a plain game. A folder from before the index has its replays taken as
// the game's.
TEST_F(ReplayTest, OnlyTheGamesOwnClaimsKeepAReplay) {
  char pattern[] = "/tmp/tessivane_replays_XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string folder = pattern;
  SetDefaultScoreTable();
  const auto write = [&](const std::string& name, uint64_t recordedAt, bool ending, float score) {
    ReplayInfo info;
    info.build = kBuildIdentity;
    info.recordedAt = recordedAt;
    info.score = score;
    if (ending) info.ending = kReplayEndedByEnding;
    const std::vector<uint8_t> bytes = EncodeReplay(info, nullptr, 0, 0, 0);
    int error;
    ASSERT_TRUE(files::ReplaceFileAtomically(folder + "/" + name, bytes.data(), bytes.size(), &error));
  };
  const auto there = [&](const std::string& name) { return access((folder + "/" + name).c_str(), F_OK) == 0; };
  for (int k = 0; k < kKeptRecentReplays; ++k) write("plain" + std::to_string(k) + ".tvreplay", 2000 + k, false, 0);
  write("ending-a.tvreplay", 1000, true, 100);
  write("ending-b.tvreplay", 1001, true, 200);
  KeepReplays(folder);  // no index yet: both endings are the game's
  EXPECT_TRUE(there("ending-a.tvreplay"));
  EXPECT_TRUE(there("ending-b.tvreplay"));

  write("forged.tvreplay", 1002, true, 999999);  // dropped in, claiming the ending
  write("ending-b.tvreplay", 1001, true, 999999);  // the game's own, its score raised
  write("new.tvreplay", 3000, false, 0);
  KeepReplays(folder, "new.tvreplay");
  EXPECT_TRUE(there("ending-a.tvreplay")) << "the game's own ending was removed";
  EXPECT_FALSE(there("forged.tvreplay")) << "a claim the game never wrote kept a replay";
  EXPECT_FALSE(there("ending-b.tvreplay")) << "a changed header kept a replay";
  EXPECT_TRUE(there("new.tvreplay"));

  DIR* dir = opendir(folder.c_str());
  while (const dirent* e = readdir(dir))
    if (e->d_name[0] != '.') unlink((folder + "/" + e->d_name).c_str());
  closedir(dir);
  rmdir(folder.c_str());
  unlink((folder + ".index").c_str());
}

// The header's difficulty is the game's own, however the game was started:
// written when the game starts, after the title has set the difficulty.
TEST_F(ReplayTest, TheHeadersDifficultyIsTheGamesWhateverStartedIt) {
  char pattern[] = "/tmp/tessivane_replay_difficulty_XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string data = pattern;
  const char* before = std::getenv("XDG_DATA_HOME");
  const std::string dataBefore = before ? before : "";
  setenv("XDG_DATA_HOME", data.c_str(), 1);
  struct Case {
    const char* name;
    std::vector<Press> presses;
    uint8_t difficulty;  // 0 normal, 1 hard, 2 easy
  };
  const std::vector<Case> cases = {
      {"E on START", {{kVkE, 2}}, 2},
      {"H on START", {{kVkH, 2}}, 1},
      {"fire on START", {{kVkA, 2}}, 0},
      {"E held into the menu, pressed again", {{kVkE, 0}, {kVkE, 3}}, 2},
      {"E with fire in one frame: fire's normal game", {{kVkE, 2}, {kVkA, 2}}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetEverything();
    UsePrivateDefaultSettings("replay-difficulty");
    joystickId = -1;
    ResetGame();
    gameMode = kModeTitleMenu;
    SetReplayRecording(true);
    BeginReplaySession();
    for (const Press& p : c.presses) PressAt(p.vk, p.frame);
    ASSERT_EQ(RunFrames(40, TitleMenu), Ended::EnteredMainLoop);
    const uint8_t played = revengeFire == 1 ? 3 : hardMode == 1 ? 1 : easyMode == 1 ? 2 : 0;
    EXPECT_EQ(played, c.difficulty) << "the game started as asked";
    EndReplaySession(0);
    SetReplayRecording(false);
    const std::vector<StoredReplay> stored = ReadStoredReplays(ReplayFolder());
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].info.difficulty, played) << "the header says what was played";
    unlink((ReplayFolder() + "/" + stored[0].name).c_str());
  }
  if (dataBefore.empty()) {
    unsetenv("XDG_DATA_HOME");
  } else {
    setenv("XDG_DATA_HOME", dataBefore.c_str(), 1);
  }
  std::system(("rm -rf '" + data + "'").c_str());
}

}  // namespace
