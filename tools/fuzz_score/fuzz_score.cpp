// Feeds arbitrary bytes to the score-file loader. Every input must give either
// a valid record or the damaged-file message with the default table (in memory
// and on disk); anything else, and every memory error, stops the run.
#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "data/score_file.h"
#include "platform/backend.h"
#include "platform/machine.h"

namespace {

std::string gDir;
int gMessages = 0;
std::string gLastMessage;
std::vector<uint8_t> gDefaultFile;

void Fail(const char* what) {
  std::fprintf(stderr, "fuzz_score: %s\n", what);
  std::abort();
}

std::vector<uint8_t> ReadScoreFile() {
  std::vector<uint8_t> bytes;
  FILE* f = std::fopen(ScoreFilePath().c_str(), "rb");
  if (!f) return bytes;
  int c;
  while ((c = std::fgetc(f)) != EOF) bytes.push_back(uint8_t(c));
  std::fclose(f);
  return bytes;
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

bool IsDefaultTable() {
  const float scores[] = {10000, 5000, 3000, 2000, 1000};
  for (int k = 0; k < kHiScoreEntries; ++k)
    if (hiScores[k] != scores[k]) return false;
  if (hiNames[0] != "にんじん" || hiNames[4] != "ろけっと" || unlockedStage != 1) return false;
  for (int k = 0; k < kMedalCount; ++k)
    if (medals[k] != 1) return false;
  return true;
}

}  // namespace

namespace platform {
std::string DataDirectory() { return gDir; }
void ShowMessage(const char* text, const char* /*title*/, bool /*critical*/) {
  ++gMessages;
  gLastMessage = text;
}
}  // namespace platform

// The recorded doorway the loader reads through, as in a game that records nothing.
namespace machine {
Mode CurrentMode() { return Mode::Live; }
void ReadStateFile(int* error, std::string* bytes, void (*readLive)(int*, std::string*)) { readLive(error, bytes); }
}  // namespace machine

void RemoveFolder() {
  unlink(ScoreFilePath().c_str());
  unlink((ScoreFilePath() + ".tmp").c_str());
  rmdir(gDir.c_str());
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // A memory-backed folder where there is one: the damaged inputs each save.
  char shm[] = "/dev/shm/tessivane_fuzz_XXXXXX";
  char tmp[] = "/tmp/tessivane_fuzz_XXXXXX";
  char* pattern = mkdtemp(shm);
  if (!pattern) pattern = mkdtemp(tmp);
  if (!pattern) Fail("no temporary folder");
  gDir = pattern;
  std::atexit(RemoveFolder);
  SetDefaultScoreTable();
  SaveScoreFile();
  gDefaultFile = ReadScoreFile();
  if (gDefaultFile.size() != 78) Fail("default file is not 78 bytes");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (int k = 0; k < kHiScoreEntries; ++k) {
    hiScores[k] = -7;
    hiNames[k] = "stale";
  }
  unlockedStage = 0;
  gMessages = 0;
  unlink(ScoreFilePath().c_str());

  LoadScoreBytes(data, size);

  if (gMessages == 1) {
    if (gLastMessage != "スコアデータが壊れています\rハイスコアは抹消されました") Fail("wrong message");
    if (!IsDefaultTable()) Fail("damaged input left a table other than the default");
    if (ReadScoreFile() != gDefaultFile) Fail("damaged input did not write the default file");
    return 0;
  }
  if (gMessages != 0) Fail("more than one message");

  // A valid record: in range, self-consistent, and it survives a save and a
  // fresh load unchanged.
  if (unlockedStage < 1 || unlockedStage > 7) Fail("unlockedStage out of range");
  for (int k = 0; k < kHiScoreEntries; ++k) {
    if (!std::isfinite(hiScores[k])) Fail("score not finite");
    if (!ValidUtf8(hiNames[k])) Fail("name is not UTF-8");
  }
  int32_t check;
  if (!ComputeScoreChecksum(&check) || check != storedChecksum) Fail("check value inconsistent");
  float scores[kHiScoreEntries];
  std::string names[kHiScoreEntries];
  uint8_t marks[kMedalCount];
  for (int k = 0; k < kHiScoreEntries; ++k) {
    scores[k] = hiScores[k];
    names[k] = hiNames[k];
  }
  std::memcpy(marks, medals, sizeof marks);
  const std::vector<uint8_t> again = EncodeScoreRecord();
  if (!DecodeScoreRecord(again.data(), again.size())) Fail("a saved valid record does not load");
  for (int k = 0; k < kHiScoreEntries; ++k)
    if (std::memcmp(&scores[k], &hiScores[k], 4) != 0 || names[k] != hiNames[k]) Fail("round trip changed an entry");
  if (std::memcmp(marks, medals, sizeof marks) != 0) Fail("round trip changed a medal");
  return 0;
}
