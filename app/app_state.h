// Application globals: the game mode and the frame pacing values.
#pragma once

#include <cstdint>

// 0 play, 1/2 death fade, 3 leave for the title, 4 continue accepted,
// 5 title menu, 6 demonstration, 7 high-score table, 8 leave the
// demonstration, 9 selection screen or ending.
extern uint8_t gameMode;
extern int32_t frameStartMs;
extern int32_t frameEndMs;
extern int32_t frameElapsedMs;
extern int16_t sequenceTimer;
extern int32_t screenSaverWasActive;

constexpr int32_t kFramePeriodMs = 43;
