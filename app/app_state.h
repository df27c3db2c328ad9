// Application globals: the game mode and the frame pacing values.
#pragma once

#include <cstdint>

// The game mode; its values below. Only kModeLeaveForTitle skips drawing in
// the main loop; kModeLeaveForTitle and kModeQuietMusic leave an ended tune
// silent.
extern uint8_t gameMode;
constexpr uint8_t kModePlay = 0;
constexpr uint8_t kModeDeathFadeOut = 1;      // the lost ship fades out
constexpr uint8_t kModeDeathFadeBack = 2;     // ... and back, then the continue prompt
constexpr uint8_t kModeLeaveForTitle = 3;     // the next main-loop pass resets and shows the title
constexpr uint8_t kModeContinueAccepted = 4;  // play waits for the bomb flash to end
constexpr uint8_t kModeTitleMenu = 5;
constexpr uint8_t kModeDemo = 6;
constexpr uint8_t kModeHighScores = 7;
constexpr uint8_t kModeLeaveDemo = 8;
constexpr uint8_t kModeQuietMusic = 9;  // the selection screen, or the ending's close
// Play, a lost ship fading out and back, or a continue taken: the modes the
// pause, the replay viewer's marks and a take-over act in.
inline bool InPlayMode() {
  return gameMode == kModePlay || gameMode == kModeDeathFadeOut || gameMode == kModeDeathFadeBack ||
         gameMode == kModeContinueAccepted;
}
extern int32_t frameStartMs;
extern int32_t frameEndMs;
extern int32_t frameElapsedMs;
extern int16_t sequenceTimer;
extern int32_t screenSaverWasActive;

constexpr int32_t kFramePeriodMs = 43;
