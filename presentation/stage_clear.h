// The stage-clear screen.
#pragma once

#include <cstdint>

void StageClear();

// ---- Pieces shared with the game-over and ending screens ---------------------
// The "STAGE CLEAR!!" caption phase: from the first frame until the caption
// has passed x `leaveX` (400 after a stage, 600 at the ending).
void RunCaptionPhase(int16_t leaveX);
// Releases the frame-rate key latch in a frame where Control reads up.
void ReleaseControlLatch();
