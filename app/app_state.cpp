#include "app/app_state.h"

uint8_t gameMode;
int32_t frameStartMs;
int32_t frameEndMs;
int32_t frameElapsedMs;
int16_t sequenceTimer;
int32_t screenSaverWasActive;
