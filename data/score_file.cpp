#include "data/score_file.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "data/cp932.h"
#include "platform/backend.h"
#include "platform/files.h"
#include "platform/language.h"
#include "platform/machine.h"

float hiScores[kHiScoreEntries];
std::string hiNames[kHiScoreEntries];
uint8_t unlockedStage = 1;
uint8_t medals[kMedalCount] = {kMedalNotEarned, kMedalNotEarned, kMedalNotEarned, kMedalNotEarned,
                               kMedalNotEarned};
int32_t storedChecksum;
int32_t computedChecksum;
uint8_t scoreFileRefused;
uint8_t scoreSaveFailed;

namespace {

constexpr const char* kScoreFileName = "/Qapo.sco";
constexpr const char* kDamagedMessage =
    language::TranslatedLater("スコアデータが壊れています\rハイスコアは抹消されました");
// The damaged file could not be replaced (its bytes could not be kept aside,
// or the default record could not be written): it is left as it is.
constexpr const char* kDamagedLeftMessage = language::TranslatedLater(
    "スコアデータが壊れています\rファイルは書き換えられなかったため、そのまま残してあります（初期のハイスコアで遊びます）");
constexpr const char* kMessageTitle = "Tessivane";

struct DefaultEntry {
  float score;
  const char* name;
};
// clang-format off
constexpr DefaultEntry kDefaultTable[] = {
    {10000.0f, "にんじん"},
    { 5000.0f, "さんだる"},
    { 3000.0f, "よっと"},
    { 2000.0f, "ごましお"},
    { 1000.0f, "ろけっと"},
};
// clang-format on
static_assert(sizeof(kDefaultTable) / sizeof(kDefaultTable[0]) == kHiScoreEntries, "five entries");

// The check value in double, in the order the formula is written.
double ChecksumOf(const float scores[], uint8_t stage, const uint8_t marks[]) {
  const double s0 = scores[0], s1 = scores[1], s2 = scores[2], s3 = scores[3], s4 = scores[4];
  return s1 * 5 + s0 + 314 + (s2 + 131) * 2 - (s3 * 2 - 113) + s4 - 126 + stage + marks[0] + 2.0 * marks[1] +
         3.0 * marks[2] + 4.0 * marks[3] + 5.0 * marks[4];
}

// Nearest integer, halves to even; false when there is none in 32 bits.
bool ToInt32(double v, int32_t* out) {
  if (!std::isfinite(v)) return false;
  const double r = std::nearbyint(v);
  if (r < -2147483648.0 || r > 2147483647.0) return false;
  *out = int32_t(r);
  return true;
}

// ---- Little-endian fields ----------------------------------------------------
void PutU16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}
void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int k = 0; k < 4; ++k) out.push_back(uint8_t(v >> (8 * k)));
}
void PutFloat(std::vector<uint8_t>& out, float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, 4);
  PutU32(out, bits);
}

// A bounded reader: every read checks what is left first.
struct ByteReader {
  const uint8_t* data;
  size_t size;
  size_t pos = 0;
  bool Has(size_t n) const { return size - pos >= n; }
  bool U8(uint8_t* v) {
    if (!Has(1)) return false;
    *v = data[pos++];
    return true;
  }
  bool U16(uint16_t* v) {
    if (!Has(2)) return false;
    *v = uint16_t(data[pos] | (data[pos + 1] << 8));
    pos += 2;
    return true;
  }
  bool U32(uint32_t* v) {
    if (!Has(4)) return false;
    *v = uint32_t(data[pos]) | uint32_t(data[pos + 1]) << 8 | uint32_t(data[pos + 2]) << 16 |
         uint32_t(data[pos + 3]) << 24;
    pos += 4;
    return true;
  }
  bool Float(float* v) {
    uint32_t bits;
    if (!U32(&bits)) return false;
    std::memcpy(v, &bits, 4);
    return true;
  }
};

// A whole table, as the file holds it.
struct Table {
  float scores[kHiScoreEntries];
  std::string names[kHiScoreEntries];  // UTF-8
  uint8_t stage;
  uint8_t medals[kMedalCount];
};

Table CurrentTable() {
  Table t;
  for (int k = 0; k < kHiScoreEntries; ++k) {
    t.scores[k] = hiScores[k];
    t.names[k] = hiNames[k];
  }
  t.stage = unlockedStage;
  for (int k = 0; k < kMedalCount; ++k) t.medals[k] = medals[k];
  return t;
}

bool SameEntry(const Table& a, int i, const Table& b, int j) {
  return std::memcmp(&a.scores[i], &b.scores[j], sizeof(float)) == 0 && a.names[i] == b.names[j];
}

bool SameTable(const Table& a, const Table& b) {
  for (int k = 0; k < kHiScoreEntries; ++k)
    if (!SameEntry(a, k, b, k)) return false;
  return a.stage == b.stage && std::memcmp(a.medals, b.medals, kMedalCount) == 0;
}

std::vector<uint8_t> EncodeTable(const Table& t, int32_t check) {
  std::vector<uint8_t> out;
  out.reserve(128);
  for (int k = 0; k < kHiScoreEntries; ++k) PutFloat(out, t.scores[k]);
  for (int k = 0; k < kHiScoreEntries; ++k) {
    const std::string bytes = NameToCp932(t.names[k]);
    PutU16(out, uint16_t(bytes.size()));
    out.insert(out.end(), bytes.begin(), bytes.end());
  }
  out.push_back(t.stage);
  for (int k = 0; k < kMedalCount; ++k) out.push_back(t.medals[k]);
  PutU32(out, uint32_t(check));
  return out;
}

// Reads a table from a file's bytes; false when they hold no valid record.
// `computed` gets the check value of the bytes whenever there is one.
bool DecodeTable(const uint8_t* data, size_t size, Table* table, int32_t* computed, uint32_t* storedValue) {
  ByteReader r{data, size};
  float scores[kHiScoreEntries];
  for (float& s : scores)
    if (!r.Float(&s)) return false;
  struct Span {
    size_t at;
    uint16_t count;
  } names[kHiScoreEntries];
  for (Span& n : names) {
    if (!r.U16(&n.count) || !r.Has(n.count)) return false;
    n.at = r.pos;
    r.pos += n.count;
  }
  uint8_t stage;
  uint8_t marks[kMedalCount];
  uint32_t stored;
  if (!r.U8(&stage)) return false;
  for (uint8_t& m : marks)
    if (!r.U8(&m)) return false;
  if (!r.U32(&stored)) return false;

  if (!ToInt32(ChecksumOf(scores, stage, marks), computed)) return false;
  if (*computed != int32_t(stored)) return false;
  for (float s : scores)
    if (!std::isfinite(s)) return false;
  if (stage < 1 || stage > 7) return false;

  for (int k = 0; k < kHiScoreEntries; ++k) {
    table->scores[k] = scores[k];
    table->names[k] = NameFromCp932(data + names[k].at, names[k].count);
  }
  table->stage = stage;
  for (int k = 0; k < kMedalCount; ++k) table->medals[k] = marks[k];
  *storedValue = stored;
  return true;
}

// The table in the file when this session last read or wrote it: what
// another copy of the game saved since then is what the file holds beyond it.
Table fileTable;
bool fileTableKnown = false;

// `disk` (saved by another copy since `base`) with this session's changes
// since `base` laid over it: its new entries inserted as the name dialog
// inserts them, the higher stage and every medal earned in either.
Table MergeTables(const Table& disk, const Table& mine, const Table& base) {
  Table out = disk;
  bool inBase[kHiScoreEntries] = {};
  for (int k = 0; k < kHiScoreEntries; ++k) {
    bool matched = false;
    for (int b = 0; b < kHiScoreEntries && !matched; ++b) {
      if (inBase[b] || !SameEntry(mine, k, base, b)) continue;
      inBase[b] = true;
      matched = true;
    }
    if (matched) continue;
    // New since the base: at the first place it beats, as Command1_Click does.
    for (int p = 0; p < kHiScoreEntries; ++p) {
      if (!(mine.scores[k] > out.scores[p])) continue;
      for (int q = kHiScoreEntries - 1; q > p; --q) {
        out.scores[q] = out.scores[q - 1];
        out.names[q] = out.names[q - 1];
      }
      out.scores[p] = mine.scores[k];
      out.names[p] = mine.names[k];
      break;
    }
  }
  out.stage = std::max(disk.stage, mine.stage);
  for (int k = 0; k < kMedalCount; ++k) out.medals[k] = std::max(disk.medals[k], mine.medals[k]);
  return out;
}

}  // namespace

std::string ScoreFilePath() { return platform::DataDirectory() + kScoreFileName; }

void SetDefaultScoreTable() {
  for (int k = 0; k < kHiScoreEntries; ++k) {
    hiScores[k] = kDefaultTable[k].score;
    hiNames[k] = kDefaultTable[k].name;
  }
  unlockedStage = 1;
  for (int k = 0; k < kMedalCount; ++k) medals[k] = kMedalNotEarned;
}

bool ComputeScoreChecksum(int32_t* value) { return ToInt32(ChecksumOf(hiScores, unlockedStage, medals), value); }

std::vector<uint8_t> EncodeScoreRecord() { return EncodeTable(CurrentTable(), storedChecksum); }

bool DecodeScoreRecord(const uint8_t* data, size_t size) {
  Table table;
  int32_t computed = computedChecksum;  // changed only when the bytes have a check value
  uint32_t stored = 0;
  const bool valid = DecodeTable(data, size, &table, &computed, &stored);
  computedChecksum = computed;
  if (!valid) return false;
  for (int k = 0; k < kHiScoreEntries; ++k) {
    hiScores[k] = table.scores[k];
    hiNames[k] = table.names[k];
  }
  unlockedStage = table.stage;
  for (int k = 0; k < kMedalCount; ++k) medals[k] = table.medals[k];
  storedChecksum = int32_t(stored);
  return true;
}

namespace {

// A damaged file is copied whole up to this size (a record is at most
// kMaxScoreRecordBytes; anything longer than this is not a score file).
constexpr size_t kMaxDamagedCopyBytes = size_t(64) << 20;

const char* const kNotKept = "this session plays with the default high scores and its scores will not be kept";

// The file could not be read, or its damaged bytes could not be kept: play
// with the default table and leave the file alone for the whole session.
void RefuseScoreFile() {
  SetDefaultScoreTable();
  scoreFileRefused = 1;
  SaveScoreFile();  // only sets storedChecksum
}

// A write whose outcome the game goes on with: done, and its outcome kept in
// the replay being recorded; during playback never done, the recorded
// outcome given back (a replay never touches the player's files).
template <typename Write>
bool RecordedWrite(Write write) {
  if (machine::IsPlayingBack()) return machine::ReadValue(0) != 0;
  return machine::ReadValue(write() ? 1 : 0) != 0;
}

// Copies the damaged file to "<path>.damaged", replacing an older copy.
bool KeepDamagedFile(const std::string& path, const std::vector<uint8_t>& bytes, int* error) {
  std::vector<uint8_t> whole;
  const std::vector<uint8_t>* keep = &bytes;
  if (bytes.size() >= kMaxScoreRecordBytes && files::ReadWholeFile(path, kMaxDamagedCopyBytes, &whole, error))
    keep = &whole;
  return files::ReplaceFileAtomically(path + ".damaged", keep->data(), keep->size(), error);
}

}  // namespace

void LoadScoreFile() {
  scoreFileRefused = 0;
  scoreSaveFailed = 0;
  const std::string path = ScoreFilePath();
  // Read through the recorded doorway: a replay carries the table its game
  // began with.
  int error = 0;
  std::string text;
  machine::ReadStateFile(&error, &text, [](int* e, std::string* b) {
    std::vector<uint8_t> read;
    *e = 0;
    if (!files::ReadWholeFile(ScoreFilePath(), kMaxScoreRecordBytes, &read, e) && *e == 0) *e = EIO;
    b->assign(read.begin(), read.end());
  });
  std::vector<uint8_t> bytes(text.begin(), text.end());
  fileTableKnown = false;
  if (error != 0) {
    if (error == ENOENT) {
      // A new file: the record read back is the one just written.
      SetDefaultScoreTable();
      SaveScoreFile();
      computedChecksum = storedChecksum;
      return;
    }
    // A file that exists but cannot be read (no permission, not a file, a
    // read error) may still hold the player's table: it must survive the
    // session untouched.
    std::fprintf(stderr, "Tessivane: cannot read %s (%s); %s (the file is left as it is)\n", path.c_str(),
                 files::ErrorText(error).c_str(), kNotKept);
    RefuseScoreFile();
    computedChecksum = storedChecksum;
    return;
  }
  if (DecodeScoreRecord(bytes.data(), bytes.size())) {
    fileTable = CurrentTable();
    fileTableKnown = true;
    return;
  }

  // Damaged: keep its bytes beside it before the default record is written
  // over it; when they cannot be kept, the file is not written at all.
  const std::string copy = path + ".damaged";
  const bool kept = RecordedWrite([&] { return KeepDamagedFile(path, bytes, &error); });
  if (kept) {
    SetDefaultScoreTable();
    SaveScoreFile();  // says so on stderr when it fails
    if (!scoreSaveFailed)
      std::fprintf(stderr, "Tessivane: %s is damaged; it is kept as %s and the default high scores replace it\n",
                   path.c_str(), copy.c_str());
  } else {
    std::fprintf(stderr,
                 "Tessivane: %s is damaged and cannot be kept as %s (%s); %s (the file is left as it is)\n",
                 path.c_str(), copy.c_str(), files::ErrorText(error).c_str(), kNotKept);
    RefuseScoreFile();
  }
  // The box says what became of the file: replaced, or left as it is.
  const bool replaced = kept && !scoreSaveFailed;
  platform::ShowMessage(language::Translate(replaced ? kDamagedMessage : kDamagedLeftMessage), kMessageTitle, true);
}

void SaveScoreFile() {
  int32_t value;
  if (!ComputeScoreChecksum(&value)) {
    // Out of reach for real scores; keep the conversion defined all the same.
    const double c = ChecksumOf(hiScores, unlockedStage, medals);
    value = c > 0 ? INT32_MAX : INT32_MIN;
  }
  storedChecksum = value;
  if (scoreFileRefused) return;
  const std::string path = ScoreFilePath();
  int error = 0;
  // Another copy of the game (a second headless run, a script) may have saved
  // since this one read the file: under a lock on the folder, its entries are
  // merged with this session's new ones rather than written over. The table
  // in memory stays this session's own, so that play never depends on it.
  const auto write = [&] {
    bool ok = false;
    files::WithFolderLock(files::FolderOf(files::FollowLinks(path)), [&] {
      const Table mine = CurrentTable();
      Table written = mine;
      int32_t check = value;
      std::vector<uint8_t> onDisk;
      int readError = 0;
      Table disk;
      int32_t diskCheck = 0;
      uint32_t diskStored = 0;
      if (fileTableKnown && files::ReadWholeFile(path, kMaxScoreRecordBytes, &onDisk, &readError) &&
          DecodeTable(onDisk.data(), onDisk.size(), &disk, &diskCheck, &diskStored) && !SameTable(disk, fileTable)) {
        const Table merged = MergeTables(disk, mine, fileTable);
        int32_t mergedCheck;
        if (ToInt32(ChecksumOf(merged.scores, merged.stage, merged.medals), &mergedCheck)) {
          written = merged;
          check = mergedCheck;
        }
      }
      const std::vector<uint8_t> record = EncodeTable(written, check);
      ok = files::OverwriteFileStartAtomically(path, record.data(), record.size(), &error);
      if (ok) {
        fileTable = written;
        fileTableKnown = true;
      }
    });
    return ok;
  };
  if (RecordedWrite(write)) {
    scoreSaveFailed = 0;
    return;
  }
  if (!scoreSaveFailed)
    std::fprintf(stderr,
                 "Tessivane: cannot save the high scores to %s (%s); until a save succeeds they last only until "
                 "the game ends\n",
                 path.c_str(), files::ErrorText(error).c_str());
  scoreSaveFailed = 1;
}
