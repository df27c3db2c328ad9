#include "data/score_file.h"

#include <dirent.h>
#include <pwd.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "data/name_dialog.h"
#include "platform/headless/headless.h"
#include "tests/support/game_fixture.h"
#include "world/world_state.h"

namespace {

using Bytes = std::vector<uint8_t>;

// The default file, written out by hand: five little-endian floats, the five
// names in Shift-JIS with their 16-bit counts, stage 1, five medals of 1 and
// the check value 38579.
const Bytes kDefaultFile = {
    0x00, 0x40, 0x1C, 0x46, 0x00, 0x40, 0x9C, 0x45, 0x00, 0x80, 0x3B, 0x45, 0x00, 0x00, 0xFA,
    0x44, 0x00, 0x00, 0x7A, 0x44, 0x08, 0x00, 0x82, 0xC9, 0x82, 0xF1, 0x82, 0xB6, 0x82, 0xF1,  // にんじん
    0x08, 0x00, 0x82, 0xB3, 0x82, 0xF1, 0x82, 0xBE, 0x82, 0xE9,                                // さんだる
    0x06, 0x00, 0x82, 0xE6, 0x82, 0xC1, 0x82, 0xC6,                                            // よっと
    0x08, 0x00, 0x82, 0xB2, 0x82, 0xDC, 0x82, 0xB5, 0x82, 0xA8,                                // ごましお
    0x08, 0x00, 0x82, 0xEB, 0x82, 0xAF, 0x82, 0xC1, 0x82, 0xC6,                                // ろけっと
    0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0xB3, 0x96, 0x00, 0x00,
};
constexpr size_t kStageOffset = 72;
constexpr size_t kMedalOffset = 73;
constexpr size_t kCheckOffset = 78 - 4;

const char* const kDamagedText = "スコアデータが壊れています\rハイスコアは抹消されました";

class ScoreFileTest : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    char pattern[] = "/tmp/tessivane_score_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    headless::SetBaseDirectory(dir_);
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

  std::string Path() const { return dir_ + "/Qapo.sco"; }
  Bytes ReadFile() const {
    std::ifstream in(Path(), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  void WriteFile(const Bytes& b) const {
    std::ofstream out(Path(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
  }
  bool FileExists() const {
    struct stat st;
    return stat(Path().c_str(), &st) == 0;
  }
  Bytes ReadDamagedCopy() const {
    std::ifstream in(Path() + ".damaged", std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  // Every name in the folder other than the score file and its damaged copy
  // (temporary files left behind).
  std::vector<std::string> Leftovers() const {
    std::vector<std::string> names;
    DIR* d = opendir(dir_.c_str());
    if (!d) return names;
    while (const dirent* e = readdir(d)) {
      const std::string n = e->d_name;
      if (n != "." && n != ".." && n != "Qapo.sco" && n != "Qapo.sco.damaged") names.push_back(n);
    }
    closedir(d);
    return names;
  }
  // A record that is not the default one, held in memory.
  static void SetCustomTable() {
    const float scores[] = {987650, 400000, 123450, 500, 0};
    const char* names[] = {"ハイスコア", "ｶﾀｶﾅ", "", "A~\\z", "漢字テスト"};
    for (int k = 0; k < kHiScoreEntries; ++k) {
      hiScores[k] = scores[k];
      hiNames[k] = names[k];
    }
    unlockedStage = 5;
    const uint8_t marks[] = {10, 1, 10, 0, 1};
    for (int k = 0; k < kMedalCount; ++k) medals[k] = marks[k];
  }
  static void ExpectDefaultTable() {
    const float scores[] = {10000, 5000, 3000, 2000, 1000};
    const char* names[] = {"にんじん", "さんだる", "よっと", "ごましお", "ろけっと"};
    for (int k = 0; k < kHiScoreEntries; ++k) {
      EXPECT_EQ(hiScores[k], scores[k]) << k;
      EXPECT_EQ(hiNames[k], names[k]) << k;
    }
    EXPECT_EQ(unlockedStage, 1);
    for (int k = 0; k < kMedalCount; ++k) EXPECT_EQ(medals[k], 1) << k;
  }
  static void ClearTable() {
    for (int k = 0; k < kHiScoreEntries; ++k) {
      hiScores[k] = -1;
      hiNames[k] = "x";
    }
    unlockedStage = 99;
    for (int k = 0; k < kMedalCount; ++k) medals[k] = 99;
  }

  std::string dir_;
};

void PutFloatAt(Bytes& b, size_t at, float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, 4);
  for (int k = 0; k < 4; ++k) b[at + k] = uint8_t(bits >> (8 * k));
}
void PutI32At(Bytes& b, size_t at, int32_t v) {
  for (int k = 0; k < 4; ++k) b[at + k] = uint8_t(uint32_t(v) >> (8 * k));
}

TEST_F(ScoreFileTest, MissingFileCreatesTheDefaultRecordSilently) {
  LoadScoreFile();
  EXPECT_EQ(ReadFile(), kDefaultFile);
  EXPECT_EQ(storedChecksum, 38579);
  EXPECT_TRUE(headless::Messages().empty());
  ExpectDefaultTable();
}

TEST_F(ScoreFileTest, UnreadableFileIsLeftAloneAndTheDefaultTableUsed) {
  // Something the game cannot read as a file (here a folder of that name) may
  // hold what the player cares about: no message, nothing written over it.
  ASSERT_EQ(mkdir(Path().c_str(), 0755), 0);
  std::ofstream(Path() + "/keep") << "the player's things";
  hiScores[0] = 1;
  LoadScoreFile();
  EXPECT_TRUE(headless::Messages().empty());
  EXPECT_EQ(hiScores[0], 10000.0f);
  EXPECT_EQ(hiNames[4], "ろけっと");
  EXPECT_EQ(unlockedStage, 1);
  EXPECT_EQ(storedChecksum, 38579);
  EXPECT_EQ(computedChecksum, 38579);
  struct stat st;
  ASSERT_EQ(stat((Path() + "/keep").c_str(), &st), 0);

  // A FIFO in its place is called what it is, not a folder.
  std::system(("rm -rf '" + Path() + "'").c_str());
  ASSERT_EQ(mkfifo(Path().c_str(), 0644), 0);
  testing::internal::CaptureStderr();
  LoadScoreFile();
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("Is a FIFO (named pipe), not a file"), std::string::npos) << err;
  EXPECT_NE(err.find("the file is left as it is"), std::string::npos) << err;
  ASSERT_EQ(lstat(Path().c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST_F(ScoreFileTest, RecordWrittenByTheGameReadsBackUnchanged) {
  SetCustomTable();
  SaveScoreFile();
  const int32_t written = storedChecksum;
  ClearTable();
  LoadScoreFile();
  EXPECT_TRUE(headless::Messages().empty());
  const float scores[] = {987650, 400000, 123450, 500, 0};
  const char* names[] = {"ハイスコア", "ｶﾀｶﾅ", "", "A~\\z", "漢字テスト"};
  for (int k = 0; k < kHiScoreEntries; ++k) {
    EXPECT_EQ(hiScores[k], scores[k]);
    EXPECT_EQ(hiNames[k], names[k]);
  }
  EXPECT_EQ(unlockedStage, 5);
  EXPECT_EQ(medals[0], 10);
  EXPECT_EQ(medals[3], 0);
  EXPECT_EQ(storedChecksum, written);
  // Half-width katakana are one byte each in the file.
  const Bytes file = ReadFile();
  EXPECT_EQ(file[20 + 2 + 10], 4);
  EXPECT_EQ(file[20 + 2 + 10 + 2], 0xB6);  // ｶ
}

TEST_F(ScoreFileTest, BytesAfterTheRecordAreIgnored) {
  Bytes b = kDefaultFile;
  b.insert(b.end(), {1, 2, 3, 4, 5, 6, 7});
  WriteFile(b);
  LoadScoreFile();
  EXPECT_TRUE(headless::Messages().empty());
  ExpectDefaultTable();
}

TEST_F(ScoreFileTest, NamesThatAreNotShiftJisLoadWithReplacementCharacters) {
  Bytes b = kDefaultFile;
  b[22] = 0xFF;  // not a CP932 byte
  b[23] = 0xA0;
  WriteFile(b);
  LoadScoreFile();
  EXPECT_TRUE(headless::Messages().empty());
  EXPECT_EQ(hiNames[0], "??んじん");
  EXPECT_EQ(hiScores[0], 10000);
}

// Every kind of damage gives the two-line message, the default table in
// memory and the default file on disk.
TEST_F(ScoreFileTest, DamagedFilesAreReplacedByTheDefaultRecord) {
  struct Case {
    const char* what;
    Bytes bytes;
  };
  std::vector<Case> cases;
  auto changed = [](size_t at, uint8_t v) {
    Bytes b = kDefaultFile;
    b[at] = v;
    return b;
  };
  cases.push_back({"score byte", changed(2, 0x1D)});
  cases.push_back({"score sign", changed(7, 0xC5)});
  cases.push_back({"unlocked stage", changed(kStageOffset, 2)});
  for (int k = 0; k < kMedalCount; ++k) cases.push_back({"medal", changed(kMedalOffset + k, 10)});
  cases.push_back({"check value", changed(kCheckOffset, 0xB4)});
  for (size_t len : {0, 1, 19, 20, 21, 30, 71, 72, 73, 77})
    cases.push_back({"truncated", Bytes(kDefaultFile.begin(), kDefaultFile.begin() + len)});
  {
    Bytes b = kDefaultFile;  // a name count far past the end of the file
    b[20] = 0xFF;
    b[21] = 0xFF;
    cases.push_back({"huge name count", b});
  }
  // Fields out of range, with the check value made to match.
  auto matched = [](float s0, uint8_t stage) {
    Bytes b = kDefaultFile;
    PutFloatAt(b, 0, s0);
    b[kStageOffset] = stage;
    const double c = 5.0 * 5000 + double(s0) + 314 + (3000.0 + 131) * 2 - (2000.0 * 2 - 113) + 1000 - 126 + stage +
                     1 + 2 + 3 + 4 + 5;
    PutI32At(b, kCheckOffset, std::isfinite(c) && std::fabs(c) < 2e9 ? int32_t(std::nearbyint(c)) : 0);
    return b;
  };
  cases.push_back({"stage 0", matched(10000, 0)});
  cases.push_back({"stage 9", matched(10000, 9)});
  cases.push_back({"stage 255", matched(10000, 255)});
  cases.push_back({"NaN score", matched(std::numeric_limits<float>::quiet_NaN(), 1)});
  cases.push_back({"infinite score", matched(std::numeric_limits<float>::infinity(), 1)});
  cases.push_back({"check value past 32 bits", matched(3e9f, 1)});
  cases.push_back({"check value past 32 bits, negative", matched(-3e9f, 1)});
  std::mt19937 rng(12345);
  for (size_t len : {3, 78, 200, 5000}) {
    Bytes b(len);
    for (uint8_t& v : b) v = uint8_t(rng());
    cases.push_back({"random bytes", b});
  }

  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.what) + ", " + std::to_string(c.bytes.size()) + " bytes");
    headless::Reset();
    headless::SetBaseDirectory(dir_);
    WriteFile(c.bytes);
    ClearTable();
    LoadScoreFile();
    ASSERT_EQ(headless::Messages().size(), 1u);
    const headless::Message& m = headless::Messages()[0];
    EXPECT_EQ(m.kind, "message");
    EXPECT_EQ(m.text, kDamagedText);
    EXPECT_EQ(m.title, "Tessivane");
    EXPECT_TRUE(m.critical);
    ExpectDefaultTable();
    // The default record is written over the start of the damaged file (its
    // bytes past the record stay), and the damaged file is kept whole.
    Bytes expected = kDefaultFile;
    if (c.bytes.size() > expected.size()) expected.insert(expected.end(), c.bytes.begin() + 78, c.bytes.end());
    EXPECT_EQ(ReadFile(), expected);
    EXPECT_EQ(ReadDamagedCopy(), c.bytes);
  }
}

TEST_F(ScoreFileTest, ScoreAboveTheLastEntryIsInsertedBelowEqualScores) {
  struct Case {
    float score;
    int place;  // -1: no place
  };
  const Case cases[] = {{20000, 0}, {10000, 1}, {3000, 3}, {2500, 3}, {1001, 4}, {1000, -1}, {0, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.score);
    SetDefaultScoreTable();
    medals[2] = 10;
    remove(Path().c_str());
    score = c.score;
    Command1_Click("");
    ASSERT_TRUE(FileExists());  // saved even when no place was found
    const float before[] = {10000, 5000, 3000, 2000, 1000};
    for (int k = 0, from = 0; k < kHiScoreEntries; ++k) {
      if (k == c.place) {
        EXPECT_EQ(hiScores[k], c.score);
        EXPECT_EQ(hiNames[k], "");  // an empty name is kept empty
      } else {
        EXPECT_EQ(hiScores[k], before[from]) << k;
        ++from;
      }
    }
    EXPECT_EQ(medals[2], 10);  // medals are not entries
    ClearTable();
    LoadScoreFile();
    EXPECT_EQ(hiScores[c.place < 0 ? 4 : c.place], c.place < 0 ? 1000 : c.score);
  }
  EXPECT_TRUE(headless::Messages().empty());
}

TEST_F(ScoreFileTest, NameDialogInsertsOnOkAndLeavesEverythingOnCancel) {
  LoadScoreFile();
  score = 4000;
  headless::QueueNameCancel();
  ShowNameDialog("三位です！名前を入力してください（最大６文字)");
  ExpectDefaultTable();
  EXPECT_EQ(ReadFile(), kDefaultFile);

  headless::QueueName("ぺるきぺるきぺ");  // seven characters: the dialog keeps six
  ShowNameDialog("三位です！名前を入力してください（最大６文字)");
  ASSERT_EQ(headless::Messages().size(), 2u);
  EXPECT_EQ(headless::Messages()[1].title, "名前を入力してください");
  EXPECT_EQ(headless::Messages()[1].text, "三位です！名前を入力してください（最大６文字)");
  EXPECT_EQ(hiScores[2], 4000);
  EXPECT_EQ(hiNames[2], "ぺるきぺるき");
  EXPECT_EQ(hiNames[3], "よっと");
  ClearTable();
  LoadScoreFile();
  EXPECT_EQ(hiNames[2], "ぺるきぺるき");
}

// A save that cannot complete (here the disk refuses to let the file grow)
// leaves the previous file whole and the table in memory.
TEST_F(ScoreFileTest, FailedSaveLeavesTheOldFileWhole) {
  LoadScoreFile();
  SetCustomTable();
  struct rlimit old;
  getrlimit(RLIMIT_FSIZE, &old);
  struct rlimit small = old;
  small.rlim_cur = 40;  // the record needs more
  void (*oldHandler)(int) = signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &small);
  SaveScoreFile();
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, oldHandler);

  EXPECT_EQ(ReadFile(), kDefaultFile);
  EXPECT_EQ(hiScores[0], 987650);
  EXPECT_TRUE(Leftovers().empty()) << "the temporary file is cleaned up";

  // A folder that cannot be written: nothing happens, nothing breaks.
  headless::SetBaseDirectory(dir_ + "/missing");
  SaveScoreFile();
  EXPECT_EQ(hiScores[0], 987650);
}

// Processes killed at random moments while saving leave either the old or the
// new record, never a damaged one.
TEST_F(ScoreFileTest, KilledWhileSavingLeavesTheOldOrTheNewRecord) {
  LoadScoreFile();
  std::mt19937 rng(777);
  int sawNew = 0;
  for (int round = 0; round < 60; ++round) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      // Alternate two records as fast as possible until killed.
      for (uint32_t n = 0;; ++n) {
        SetDefaultScoreTable();
        hiScores[0] = float(20000 + (n % 2) * 10000);
        hiNames[0] = n % 2 ? "新しい" : "古い";
        SaveScoreFile();
      }
    }
    usleep(useconds_t(200 + rng() % 20000));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);

    const Bytes file = ReadFile();
    ClearTable();
    ASSERT_TRUE(DecodeScoreRecord(file.data(), file.size())) << "round " << round;
    const bool isOld = hiScores[0] == 10000 && hiNames[0] == "にんじん";
    const bool isA = hiScores[0] == 20000 && hiNames[0] == "古い";
    const bool isB = hiScores[0] == 30000 && hiNames[0] == "新しい";
    ASSERT_TRUE(isOld || isA || isB) << "round " << round;
    sawNew += isA || isB;
  }
  EXPECT_GT(sawNew, 0);
}

// The bytes after the check value stay where they were in the file: a record
// is written over the start of the old file, which never gets shorter.
TEST_F(ScoreFileTest, SavingKeepsTheOldFileBytesPastTheNewRecord) {
  const Bytes extra = {0xDE, 0xAD, 0xBE, 0xEF, 0x00, 0x7F, 0x80, 0xFF, 0x41, 0x42};
  struct Case {
    const char* what;
    const char* name;  // hiNames[0] of the record saved over the file
  };
  // The old file is the default record (78 bytes) followed by `extra`.
  const Case cases[] = {
      {"shorter record: the old file's tail stays", "A"},                       // 72 bytes
      {"same length: only the trailing bytes stay", "にんじん"},                // 78 bytes
      {"longer record, still within the old file", "にんじんにん"},             // 82 bytes
      {"record longer than the old file", "にんじんにんじんにんじんにんじん"},  // 102 bytes
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes old = kDefaultFile;
    old.insert(old.end(), extra.begin(), extra.end());
    WriteFile(old);
    LoadScoreFile();
    ASSERT_TRUE(headless::Messages().empty());
    hiNames[0] = c.name;
    SaveScoreFile();
    const Bytes record = EncodeScoreRecord();
    Bytes expected = record;
    if (old.size() > record.size()) expected.insert(expected.end(), old.begin() + long(record.size()), old.end());
    EXPECT_EQ(ReadFile(), expected);
    ClearTable();
    LoadScoreFile();
    EXPECT_EQ(hiNames[0], c.name);
    EXPECT_TRUE(Leftovers().empty());
  }
}

// Two processes saving into one folder at the same time (two players sharing
// a game folder, several headless runs on one --dir): a reader only ever sees
// a whole record, and no temporary file is left behind.
TEST_F(ScoreFileTest, TwoProcessesSavingIntoOneFolderNeverLeaveAPartialFile) {
  LoadScoreFile();
  const char* names[] = {"一人目", "二人目"};
  pid_t writers[2];
  for (int w = 0; w < 2; ++w) {
    writers[w] = fork();
    ASSERT_GE(writers[w], 0);
    if (writers[w] == 0) {
      for (int n = 0; n < 300; ++n) {
        SetDefaultScoreTable();
        hiScores[0] = float(20000 + 10000 * w);
        hiNames[0] = names[w];
        SaveScoreFile();
      }
      _exit(0);
    }
  }
  int running = 2, reads = 0, partial = 0;
  size_t partialSize = 0;
  while (running > 0) {
    for (pid_t& w : writers) {
      int status = 0;
      if (w > 0 && waitpid(w, &status, WNOHANG) == w) {
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        w = 0;
        --running;
      }
    }
    const Bytes file = ReadFile();
    ++reads;
    ClearTable();
    const bool whole =
        DecodeScoreRecord(file.data(), file.size()) &&
        ((hiScores[0] == 10000 && hiNames[0] == "にんじん") || (hiScores[0] == 20000 && hiNames[0] == names[0]) ||
         (hiScores[0] == 30000 && hiNames[0] == names[1]));
    if (!whole && partial++ == 0) partialSize = file.size();
  }
  EXPECT_EQ(partial, 0) << "of " << reads << " reads; the first was " << partialSize << " bytes";
  const Bytes last = ReadFile();
  ASSERT_TRUE(DecodeScoreRecord(last.data(), last.size()));
  EXPECT_TRUE(hiScores[0] == 20000 || hiScores[0] == 30000);
  EXPECT_TRUE(Leftovers().empty());
}

// Copies of the headless tool (or scripts) saving one table at the same time:
// each new entry reaches the file, whoever writes last.
TEST_F(ScoreFileTest, CopiesSavingOneTableAtOnceKeepEveryNewEntry) {
  LoadScoreFile();
  constexpr int kCopies = 4;
  int go[2];
  ASSERT_EQ(pipe(go), 0);
  pid_t copies[kCopies];
  for (int c = 0; c < kCopies; ++c) {
    copies[c] = fork();
    ASSERT_GE(copies[c], 0);
    if (copies[c] == 0) {
      close(go[1]);
      LoadScoreFile();  // every copy reads the table before any saves
      char byte;
      if (read(go[0], &byte, 1) != 0) _exit(3);
      score = float(20000 + 1000 * c);
      Command1_Click("COPY" + std::to_string(c));
      _exit(scoreSaveFailed ? 2 : 0);
    }
  }
  close(go[0]);
  usleep(200000);
  close(go[1]);  // all start saving at once
  for (pid_t c : copies) {
    int status = 0;
    ASSERT_EQ(waitpid(c, &status, 0), c);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  ClearTable();
  LoadScoreFile();
  for (int c = 0; c < kCopies; ++c) {
    EXPECT_EQ(hiScores[kCopies - 1 - c], float(20000 + 1000 * c)) << c;
    EXPECT_EQ(hiNames[kCopies - 1 - c], "COPY" + std::to_string(c));
  }
  EXPECT_EQ(hiScores[kCopies], 10000) << "the best default entry stays below them";
  EXPECT_TRUE(Leftovers().empty());

  // A stage reached and a medal earned by one copy survive another's save.
  ClearTable();
  LoadScoreFile();
  const pid_t other = fork();
  ASSERT_GE(other, 0);
  if (other == 0) {
    unlockedStage = 5;
    medals[2] = kMedalEarned;
    SaveScoreFile();
    _exit(0);
  }
  ASSERT_EQ(waitpid(other, nullptr, 0), other);
  score = 99999;
  Command1_Click("LAST");
  ClearTable();
  LoadScoreFile();
  EXPECT_EQ(hiScores[0], 99999);
  EXPECT_EQ(unlockedStage, 5);
  EXPECT_EQ(medals[2], kMedalEarned);
}

// A file the player cannot read may hold everything they earned: this session
// plays with the default table and never saves over it, and says so once.
TEST_F(ScoreFileTest, UnreadableFileIsNeverReplacedDuringTheSession) {
  SetCustomTable();
  SaveScoreFile();
  const Bytes original = ReadFile();
  ASSERT_EQ(chmod(Path().c_str(), 0), 0);
  const passwd* nobody = getpwnam("nobody");
  if (geteuid() == 0 && nobody) {
    ASSERT_EQ(chown(dir_.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
  }

  // The session runs in a child process, without root's right to read anything.
  const std::string errPath = dir_ + ".stderr";
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (geteuid() == 0 && (!nobody || setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0)) _exit(77);
    if (access(Path().c_str(), R_OK) == 0) _exit(77);  // still allowed to read it
    if (!freopen(errPath.c_str(), "w", stderr)) _exit(3);
    ClearTable();
    LoadScoreFile();
    bool ok = headless::Messages().empty() && hiScores[0] == 10000 && hiNames[4] == "ろけっと" &&
              unlockedStage == 1 && storedChecksum == 38579;
    // Every later save of the session: a name entered, a new stage reached.
    score = 50000;
    Command1_Click("NEW");
    unlockedStage = 3;
    SaveScoreFile();
    ok = ok && hiScores[0] == 50000 && hiNames[0] == "NEW";
    std::fflush(stderr);
    _exit(ok ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  std::ifstream errFile(errPath);
  const std::string err((std::istreambuf_iterator<char>(errFile)), std::istreambuf_iterator<char>());
  std::remove(errPath.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 77)
    GTEST_SKIP() << "cannot run without the right to read every file (no user nobody?)";
  EXPECT_EQ(WEXITSTATUS(status), 0) << "default table in memory, name entry works";

  ASSERT_EQ(chmod(Path().c_str(), 0644), 0);
  EXPECT_EQ(ReadFile(), original) << "the unreadable file was replaced";
  EXPECT_TRUE(Leftovers().empty());
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  EXPECT_NE(err.find(Path()), std::string::npos) << err;
  EXPECT_NE(err.find(std::strerror(EACCES)), std::string::npos) << err;
  EXPECT_NE(err.find("will not be kept"), std::string::npos) << err;
}

// A save that fails (here a folder has taken the file's place since start-up)
// says so once on stderr with the reason; the table in memory stays.
TEST_F(ScoreFileTest, FailedSaveSaysSoOnceWithTheReason) {
  LoadScoreFile();
  ASSERT_EQ(std::remove(Path().c_str()), 0);
  ASSERT_EQ(mkdir(Path().c_str(), 0755), 0);
  SetCustomTable();
  testing::internal::CaptureStderr();
  SaveScoreFile();
  score = 1000000;
  Command1_Click("AGAIN");
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  EXPECT_NE(err.find(Path()), std::string::npos) << err;
  EXPECT_NE(err.find(std::strerror(EISDIR)), std::string::npos) << err;
  EXPECT_EQ(hiScores[0], 1000000);
  EXPECT_EQ(hiScores[1], 987650);
  EXPECT_EQ(hiNames[1], "ハイスコア");
  EXPECT_TRUE(Leftovers().empty());

  // Once saving works again, the next failure is reported again.
  ASSERT_EQ(rmdir(Path().c_str()), 0);
  testing::internal::CaptureStderr();
  SaveScoreFile();
  headless::SetBaseDirectory(dir_ + "/missing");
  SaveScoreFile();
  const std::string again = testing::internal::GetCapturedStderr();
  EXPECT_EQ(std::count(again.begin(), again.end(), '\n'), 1) << again;
  EXPECT_NE(again.find(std::strerror(ENOENT)), std::string::npos) << again;
  headless::SetBaseDirectory(dir_);
  ClearTable();
  LoadScoreFile();
  EXPECT_EQ(hiScores[0], 1000000);
}

// The damaged file is kept beside the new one, replacing an older copy, and
// stderr says where; when no copy can be kept, the damaged file is not
// replaced this session.
TEST_F(ScoreFileTest, DamagedFileIsKeptBesideTheDefaultRecord) {
  const Bytes older = {1, 2, 3};
  {
    std::ofstream out(Path() + ".damaged", std::ios::binary);
    out.write(reinterpret_cast<const char*>(older.data()), std::streamsize(older.size()));
  }
  Bytes damaged = kDefaultFile;
  damaged[kStageOffset] = 3;
  WriteFile(damaged);
  testing::internal::CaptureStderr();
  LoadScoreFile();
  const std::string err = testing::internal::GetCapturedStderr();
  ASSERT_EQ(headless::Messages().size(), 1u);
  EXPECT_EQ(headless::Messages()[0].text, kDamagedText);
  EXPECT_EQ(ReadDamagedCopy(), damaged);
  EXPECT_EQ(ReadFile(), kDefaultFile);
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  EXPECT_NE(err.find(Path() + ".damaged"), std::string::npos) << err;
  EXPECT_TRUE(Leftovers().empty());

  // No room for the copy (a folder of that name): the damaged file stays as
  // it is for the whole session, and stderr says why.
  ASSERT_EQ(std::remove((Path() + ".damaged").c_str()), 0);
  ASSERT_EQ(mkdir((Path() + ".damaged").c_str(), 0755), 0);
  WriteFile(damaged);
  headless::Reset();
  headless::SetBaseDirectory(dir_);
  testing::internal::CaptureStderr();
  LoadScoreFile();
  score = 50000;
  Command1_Click("NEW");
  const std::string refused = testing::internal::GetCapturedStderr();
  ASSERT_EQ(headless::Messages().size(), 1u);
  EXPECT_EQ(headless::Messages()[0].text,
            "スコアデータが壊れています\rファイルは書き換えられなかったため、そのまま残してあります（初期のハイスコアで遊びます）")
      << "the box does not say the scores were reset when the file is left as it is";
  EXPECT_EQ(ReadFile(), damaged);
  EXPECT_EQ(hiScores[0], 50000);
  EXPECT_EQ(std::count(refused.begin(), refused.end(), '\n'), 1) << refused;
  EXPECT_NE(refused.find(std::strerror(EISDIR)), std::string::npos) << refused;
  EXPECT_NE(refused.find("will not be kept"), std::string::npos) << refused;
  EXPECT_TRUE(Leftovers().empty());
}

}  // namespace
