// Extra controls of the SDL back-end's music device (for tests and tools).
#pragma once

#include <string>

#include "platform/posix/sound_font.h"

namespace platform {

// Opens the audio output and starts loading the soundfont, once; the first
// OpenTune does this too. False when music cannot sound (no soundfont, no
// audio device).
bool StartMusicDevice();

// True once the soundfont is loaded and tunes are heard.
bool IsMusicDeviceReady();

// True once the open tune's instruments are in memory and its player is
// made: from here it sounds as soon as it is played.
bool IsTuneLoaded();

// True while the synthesizer holds the samples of General MIDI program
// `program` of `bank` (128: drum kits) for a tune.
bool IsInstrumentHeld(int bank, int program);

}  // namespace platform
