// Extra controls of the SDL back-end's sound effects (for tests and tools).
#pragma once

#include <cstdint>

namespace platform {

// Opens the output and loads the effects, once; the first effect raised does
// this too. False when effects cannot sound (no audio device).
bool AreSoundEffectsReady();

// How many output samples so far had the effects held back by the limiter
// (music plus effects would have passed full scale there).
uint64_t SoundEffectsLimitedSamples();

}  // namespace platform
