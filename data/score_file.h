// The high-score record ("Qapo.sco"): five scores and names, the highest stage
// reached, five medals and a check value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr int kHiScoreEntries = 5;
constexpr int kMedalCount = 5;

extern float hiScores[kHiScoreEntries];        // best first
extern std::string hiNames[kHiScoreEntries];   // UTF-8 in memory, CP932 in the file
extern uint8_t unlockedStage;                  // 1..7
extern uint8_t medals[kMedalCount];            // kMedalNotEarned or kMedalEarned
constexpr uint8_t kMedalNotEarned = 1;
constexpr uint8_t kMedalEarned = 10;
extern int32_t storedChecksum;
extern int32_t computedChecksum;

// Start-up: creates, reads and validates the file (the default table when it
// is missing or damaged).
void LoadScoreFile();
// Recomputes the check value and writes the whole record. The file is
// replaced as a whole (temporary file, flushed to disk, renamed over the old
// one), so a failed or interrupted save leaves the previous file intact; a
// failure only loses the write, the table in memory stays.
void SaveScoreFile();

// ---- Pieces of the above, for tools and tests ------------------------------
// "<data folder>/Qapo.sco".
std::string ScoreFilePath();
// The default table in memory (nothing is written).
void SetDefaultScoreTable();
// The check value of the record in memory. False when the value is not finite
// or does not fit a signed 32-bit integer (only a damaged record does that).
bool ComputeScoreChecksum(int32_t* value);
// The record in memory as the file holds it, with storedChecksum as its check
// value.
std::vector<uint8_t> EncodeScoreRecord();
// Reads a record from the bytes of a file. On success the record replaces the
// one in memory; false (memory unchanged, except computedChecksum) when the
// bytes are too short, the check value does not match, or a field is out of
// its range (a score not finite, unlockedStage outside 1..7). Bytes after the
// record are ignored.
bool DecodeScoreRecord(const uint8_t* data, size_t size);
// Steps 2 to 4 of loading, on bytes already read: decode, or on damage show
// the two-line message, set the default table and save it.
void LoadScoreBytes(const uint8_t* data, size_t size);

// Name conversion between the UTF-8 of memory and the CP932 of the file.
// Byte sequences that are not CP932, and characters that CP932 cannot hold,
// become "?". The file's 16-bit count limits a name to 65535 bytes; a longer
// name is cut at a character boundary.
std::string NameFromCp932(const uint8_t* bytes, size_t count);
std::string NameToCp932(const std::string& utf8);

// The longest file a valid record can occupy; reading stops there.
constexpr size_t kMaxScoreRecordBytes = 20 + kHiScoreEntries * (2 + 65535) + 1 + kMedalCount + 4;
