// Fuzzes the score file as the game meets it at start-up: every input is
// written to "Qapo.sco" in a folder of its own and loaded with LoadScoreFile,
// the game's own start-up step (open, size checks, the read loop, decoding).
// The target decodes the bytes itself and checks the outcome:
// - a valid record: the table in memory is exactly what the bytes say (names
//   included), nothing is shown, nothing is said, and nothing is written;
// - anything else: the damaged-file message, the default table, the default
//   record written over the start of the file (its tail kept), the damaged
//   bytes kept whole as "Qapo.sco.damaged" and one line on stderr.
// The missing-file and not-a-file paths take no input; they are checked once
// at start. Any other outcome, and every memory error, stops the run.
#include <dirent.h>
#include <fcntl.h>
#include <sanitizer/common_interface_defs.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "data/cp932.h"
#include "data/score_file.h"
#include "platform/backend.h"
#include "platform/files.h"
#include "platform/language.h"
#include "platform/machine.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::string gDir;
int gMessages = 0;
std::string gLastMessage;
Bytes gDefaultFile;
int gReportFd = -1;   // the real stderr, for the sanitizers and for Fail
int gCaptureFd = -1;  // stderr of the game while it loads

void Fail(const char* what) {
  dprintf(gReportFd >= 0 ? gReportFd : 2, "fuzz_score: %s\n", what);
  std::abort();
}

std::string Path() { return gDir + "/Qapo.sco"; }
std::string DamagedPath() { return Path() + ".damaged"; }

Bytes ReadBytes(const std::string& path) {
  Bytes bytes;
  int error = 0;
  files::ReadWholeFile(path, size_t(1) << 30, &bytes, &error);
  return bytes;
}

void WriteInput(const uint8_t* data, size_t size) {
  const int fd = open(Path().c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) Fail("cannot write the input file");
  size_t done = 0;
  while (done < size) {
    const ssize_t n = write(fd, data + done, size - done);
    if (n <= 0) Fail("cannot write the input file");
    done += size_t(n);
  }
  close(fd);
}

// Every name in the folder, in no particular order.
std::vector<std::string> FolderEntries() {
  std::vector<std::string> names;
  DIR* d = opendir(gDir.c_str());
  if (!d) Fail("folder gone");
  while (const dirent* e = readdir(d))
    if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) names.push_back(e->d_name);
  closedir(d);
  return names;
}

// LoadScoreFile with its stderr lines collected.
std::string LoadCapturingStderr() {
  std::fflush(stderr);
  if (ftruncate(gCaptureFd, 0) != 0 || lseek(gCaptureFd, 0, SEEK_SET) != 0) Fail("capture file");
  const int saved = dup(2);
  dup2(gCaptureFd, 2);
  LoadScoreFile();
  std::fflush(stderr);
  dup2(saved, 2);
  close(saved);
  std::string text(size_t(lseek(gCaptureFd, 0, SEEK_CUR)), '\0');
  if (!text.empty() && pread(gCaptureFd, &text[0], text.size(), 0) != ssize_t(text.size())) Fail("capture read");
  return text;
}

int Lines(const std::string& s) {
  int n = 0;
  for (char c : s) n += c == '\n';
  return n;
}

bool IsDefaultTable() {
  const float scores[] = {10000, 5000, 3000, 2000, 1000};
  const char* names[] = {"にんじん", "さんだる", "よっと", "ごましお", "ろけっと"};
  for (int k = 0; k < kHiScoreEntries; ++k)
    if (hiScores[k] != scores[k] || hiNames[k] != names[k]) return false;
  if (unlockedStage != 1) return false;
  for (int k = 0; k < kMedalCount; ++k)
    if (medals[k] != 1) return false;
  return true;
}

void SetStaleTable() {
  for (int k = 0; k < kHiScoreEntries; ++k) {
    hiScores[k] = -7;
    hiNames[k] = "stale";
  }
  unlockedStage = 0;
  for (int k = 0; k < kMedalCount; ++k) medals[k] = 0;
}

// What the bytes say, read independently of the game's decoder.
struct Record {
  float scores[kHiScoreEntries];
  size_t nameAt[kHiScoreEntries];
  size_t nameSize[kHiScoreEntries];
  uint8_t stage;
  uint8_t marks[kMedalCount];
  int32_t check;
  size_t checkAt;     // where the check value lies in the bytes
  bool computedFits;  // the formula gives a 32-bit integer...
  int32_t computed;   // ...this one
};

uint32_t U32At(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// Reads the fields; false when the bytes are too short to hold them all.
bool ParseRecord(const uint8_t* data, size_t size, Record* r) {
  size_t at = 0;
  if (size < 20) return false;
  for (int k = 0; k < kHiScoreEntries; ++k) {
    const uint32_t bits = U32At(data + 4 * k);
    std::memcpy(&r->scores[k], &bits, 4);
  }
  at = 20;
  for (int k = 0; k < kHiScoreEntries; ++k) {
    if (size - at < 2) return false;
    r->nameSize[k] = size_t(data[at]) | size_t(data[at + 1]) << 8;
    at += 2;
    if (size - at < r->nameSize[k]) return false;
    r->nameAt[k] = at;
    at += r->nameSize[k];
  }
  if (size - at < 10) return false;
  r->stage = data[at];
  std::memcpy(r->marks, data + at + 1, kMedalCount);
  r->checkAt = at + 6;
  r->check = int32_t(U32At(data + r->checkAt));
  const double s0 = r->scores[0], s1 = r->scores[1], s2 = r->scores[2], s3 = r->scores[3], s4 = r->scores[4];
  // The check value's formula, in double, in the order it is written.
  const double c = s1 * 5 + s0 + 314 + (s2 + 131) * 2 - (s3 * 2 - 113) + s4 - 126 + r->stage + r->marks[0] +
                   2.0 * r->marks[1] + 3.0 * r->marks[2] + 4.0 * r->marks[3] + 5.0 * r->marks[4];
  const double rounded = std::nearbyint(c);
  r->computedFits = std::isfinite(c) && rounded >= -2147483648.0 && rounded <= 2147483647.0;
  r->computed = r->computedFits ? int32_t(rounded) : 0;
  return true;
}

// A valid record: its check value matches, its scores are finite and its
// stage is 1..7.
bool IsValid(const Record& r) {
  if (!r.computedFits || r.computed != r.check) return false;
  for (float s : r.scores)
    if (!std::isfinite(s)) return false;
  return r.stage >= 1 && r.stage <= 7;
}

bool ValidUtf8(const std::string& s) {
  size_t k = 0;
  while (k < s.size()) {
    const unsigned char c = uint8_t(s[k]);
    size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || k + n > s.size()) return false;
    for (size_t j = 1; j < n; ++j)
      if ((uint8_t(s[k + j]) & 0xC0) != 0x80) return false;
    k += n;
  }
  return true;
}

// A folder, then a FIFO, in place of the file: the default table, nothing
// written over it for the session, one line on stderr, and no wait.
void CheckNotAFile(const char* what, bool (*make)()) {
  if (!make()) Fail(what);
  SetStaleTable();
  gMessages = 0;
  const std::string said = LoadCapturingStderr();
  if (!IsDefaultTable() || gMessages != 0 || scoreFileRefused != 1 || Lines(said) != 1) Fail(what);
  hiScores[0] = 123456;
  SaveScoreFile();
  struct stat st;
  if (lstat(Path().c_str(), &st) != 0 || S_ISREG(st.st_mode)) Fail(what);
  if (FolderEntries().size() != 1) Fail(what);
  if (remove(Path().c_str()) != 0) Fail(what);
}

// Loads the bytes as the game's score file and checks the outcome.
void CheckFile(const uint8_t* data, size_t size) {
  SetStaleTable();
  gMessages = 0;
  remove(DamagedPath().c_str());
  WriteInput(data, size);
  struct stat before;
  if (stat(Path().c_str(), &before) != 0) Fail("input file gone");

  const std::string said = LoadCapturingStderr();
  if (scoreFileRefused != 0) Fail("a readable file was refused");

  Record r;
  const bool valid = ParseRecord(data, size, &r) && IsValid(r);
  if (!valid) {
    if (gMessages != 1) Fail("damaged input without exactly one message");
    if (gLastMessage != "スコアデータが壊れています\rハイスコアは抹消されました") Fail("wrong message");
    if (!IsDefaultTable()) Fail("damaged input left a table other than the default");
    Bytes expected = gDefaultFile;
    if (size > expected.size()) expected.insert(expected.end(), data + expected.size(), data + size);
    if (ReadBytes(Path()) != expected) Fail("damaged input: the default record was not written over the file");
    if (ReadBytes(DamagedPath()) != Bytes(data, data + size)) Fail("damaged input was not kept whole");
    if (Lines(said) != 1 || said.find(".damaged") == std::string::npos) Fail("damaged input: no stderr line");
    if (FolderEntries().size() != 2) Fail("damaged input left a temporary file");
    return;
  }

  // A valid record: exactly what the bytes say, and nothing touched.
  if (gMessages != 0 || !said.empty()) Fail("a valid record was reported");
  for (int k = 0; k < kHiScoreEntries; ++k) {
    if (std::memcmp(&r.scores[k], &hiScores[k], 4) != 0) Fail("score differs from the file");
    if (hiNames[k] != NameFromCp932(data + r.nameAt[k], r.nameSize[k])) Fail("name differs from the file");
    if (!ValidUtf8(hiNames[k])) Fail("name is not UTF-8");
    bool ascii = true;
    for (size_t j = 0; j < r.nameSize[k]; ++j) ascii = ascii && data[r.nameAt[k] + j] < 0x80;
    if (ascii && hiNames[k] != std::string(reinterpret_cast<const char*>(data + r.nameAt[k]), r.nameSize[k]))
      Fail("ASCII name changed");
  }
  if (unlockedStage != r.stage || std::memcmp(medals, r.marks, kMedalCount) != 0) Fail("stage or medals differ");
  if (storedChecksum != r.check || computedChecksum != r.check) Fail("check value differs");
  struct stat after;
  if (stat(Path().c_str(), &after) != 0 || after.st_ino != before.st_ino || after.st_size != before.st_size ||
      after.st_mtim.tv_sec != before.st_mtim.tv_sec || after.st_mtim.tv_nsec != before.st_mtim.tv_nsec)
    Fail("loading a valid record wrote the file");
  if (FolderEntries().size() != 1) Fail("loading a valid record wrote a file");

  // It survives a save and a fresh decode unchanged.
  const Bytes again = EncodeScoreRecord();
  float scores[kHiScoreEntries];
  std::string names[kHiScoreEntries];
  for (int k = 0; k < kHiScoreEntries; ++k) {
    scores[k] = hiScores[k];
    names[k] = hiNames[k];
  }
  if (!DecodeScoreRecord(again.data(), again.size())) Fail("a saved valid record does not load");
  for (int k = 0; k < kHiScoreEntries; ++k)
    if (std::memcmp(&scores[k], &hiScores[k], 4) != 0 || names[k] != hiNames[k])
      Fail("round trip changed an entry");
  if (std::memcmp(r.marks, medals, kMedalCount) != 0) Fail("round trip changed a medal");
}

// The longest records, rarely reached by mutation: five names of the format's
// 65535 bytes, alone, with bytes after them, and damaged.
void CheckLongestRecords() {
  SetDefaultScoreTable();
  for (std::string& name : hiNames) name.assign(kMaxNameBytes, 'n');
  hiNames[2].clear();
  for (size_t k = 0; k < kMaxNameBytes; ++k) hiNames[2] += "ｱ";  // one byte each in the file
  ComputeScoreChecksum(&storedChecksum);
  Bytes longest = EncodeScoreRecord();
  if (longest.size() != kMaxScoreRecordBytes) Fail("longest record");
  CheckFile(longest.data(), longest.size());
  longest.insert(longest.end(), 100, 0x5A);
  CheckFile(longest.data(), longest.size());
  longest[kMaxScoreRecordBytes - 1] ^= 1;  // the check value
  CheckFile(longest.data(), longest.size());
}

}  // namespace

namespace platform {
std::string DataDirectory() { return gDir; }
void ShowMessage(const char* text, const char* /*title*/, bool /*critical*/) {
  ++gMessages;
  gLastMessage = text;
}
}  // namespace platform

// The recorded doorway the loader reads and writes through, as in a game that
// records nothing.
namespace machine {
Mode CurrentMode() { return Mode::Live; }
void ReadStateFile(int* error, std::string* bytes, void (*readLive)(int*, std::string*)) {
  readLive(error, bytes);
}
uint32_t ReadValue(uint32_t live) { return live; }
}  // namespace machine

// The loader's message in the game's own words, as tessivane-headless shows
// it by default.
namespace language {
const char* Translate(const char* original) { return original; }
}  // namespace language

void RemoveFolder() {
  for (const std::string& name : FolderEntries()) remove((gDir + "/" + name).c_str());
  rmdir(gDir.c_str());
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  gReportFd = dup(2);
  __sanitizer_set_report_fd(reinterpret_cast<void*>(intptr_t(gReportFd)));
  // A memory-backed folder where there is one: every input is written.
  char shm[] = "/dev/shm/tessivane_fuzz_XXXXXX";
  char tmp[] = "/tmp/tessivane_fuzz_XXXXXX";
  char* pattern = mkdtemp(shm);
  if (!pattern) pattern = mkdtemp(tmp);
  if (!pattern) Fail("no temporary folder");
  gDir = pattern;
  std::atexit(RemoveFolder);
  char capture[] = "/tmp/tessivane_fuzz_stderr_XXXXXX";
  gCaptureFd = mkostemp(capture, O_CLOEXEC);
  if (gCaptureFd < 0) Fail("no capture file");
  unlink(capture);

  // No file: the default record is written, silently.
  SetStaleTable();
  if (!LoadCapturingStderr().empty() || !IsDefaultTable() || gMessages != 0) Fail("missing file");
  gDefaultFile = ReadBytes(Path());
  if (gDefaultFile.size() != 78 || storedChecksum != 38579) Fail("default file is not 78 bytes");
  if (remove(Path().c_str()) != 0) Fail("missing file");

  CheckNotAFile("a folder in place of the file", [] { return mkdir(Path().c_str(), 0755) == 0; });
  CheckNotAFile("a FIFO in place of the file", [] { return mkfifo(Path().c_str(), 0644) == 0; });
  CheckLongestRecords();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckFile(data, size);
  // Mutation seldom hits a matching check value: the same bytes with the
  // check value made to match take the valid path (or fail on range).
  Record r;
  if (ParseRecord(data, size, &r) && r.computedFits && r.computed != r.check) {
    Bytes fixed(data, data + size);
    for (int k = 0; k < 4; ++k) fixed[r.checkAt + k] = uint8_t(uint32_t(r.computed) >> (8 * k));
    CheckFile(fixed.data(), fixed.size());
  }
  return 0;
}
