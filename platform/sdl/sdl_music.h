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

}  // namespace platform
