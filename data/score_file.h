// The high-score record ("Qapo.sco"): five scores and names, the highest stage
// reached, five medals and a check value.
#pragma once

#include <cstdint>
#include <string>

constexpr int kHiScoreEntries = 5;
constexpr int kMedalCount = 5;

extern float hiScores[kHiScoreEntries];        // best first
extern std::string hiNames[kHiScoreEntries];   // UTF-8 in memory, CP932 in the file
extern uint8_t unlockedStage;                  // 1..7
extern uint8_t medals[kMedalCount];            // 1 not earned, 10 earned
extern int32_t storedChecksum;
extern int32_t computedChecksum;

// Start-up: creates, reads and validates the file (the default table when it
// is missing or damaged).
void LoadScoreFile();
// Recomputes the check value and writes the whole record.
void SaveScoreFile();
