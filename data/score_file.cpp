#include "data/score_file.h"

float hiScores[kHiScoreEntries];
std::string hiNames[kHiScoreEntries];
uint8_t unlockedStage = 1;
uint8_t medals[kMedalCount] = {1, 1, 1, 1, 1};
int32_t storedChecksum;
int32_t computedChecksum;

void LoadScoreFile() {}
void SaveScoreFile() {}
