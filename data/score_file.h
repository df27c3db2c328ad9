// The high-score record ("Qapo.sco"): five scores and names, the highest stage
// reached, five medals and a check value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr int kHiScoreEntries = 5;
constexpr int kMedalCount = 5;

extern float hiScores[kHiScoreEntries];       // best first
extern std::string hiNames[kHiScoreEntries];  // UTF-8 in memory, CP932 in the file
extern uint8_t unlockedStage;                 // 1..7
extern uint8_t medals[kMedalCount];           // kMedalNotEarned or kMedalEarned
constexpr uint8_t kMedalNotEarned = 1;
constexpr uint8_t kMedalEarned = 10;
extern int32_t storedChecksum;
extern int32_t computedChecksum;
// 1 when the file could not be read at start-up (or was damaged and could not
// be kept): nothing is saved to it for the rest of the session.
extern uint8_t scoreFileRefused;
// 1 after a save failed (said once on stderr), until one succeeds.
extern uint8_t scoreSaveFailed;

// Start-up: creates, reads and validates the file. A missing file gets the
// default table; a damaged one is kept as "Qapo.sco.damaged" and gets the
// default table; one that cannot be read is left alone for the whole session
// (scoreFileRefused) and the default table is played with. Each case but the
// first says so in one line on stderr.
void LoadScoreFile();
// Recomputes the check value and writes the whole record over the start of
// the file (bytes of a longer old file past the record stay). The new file is
// made under a unique temporary name, flushed to disk and renamed over the old
// one, so a failed or interrupted save, or another process saving at the same
// time, never leaves a partial file. A failure only loses the write (said
// once on stderr); the table in memory stays.
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

// The longest file a valid record can occupy; reading stops there.
constexpr size_t kMaxScoreRecordBytes = 20 + kHiScoreEntries * (2 + 65535) + 1 + kMedalCount + 4;
