// Where the General MIDI soundfont is: the music device and the video
// renderer take the same one.
#pragma once

#include <string>

namespace platform {

// The first General MIDI soundfont that exists: SDL_SOUNDFONTS (a ':' list),
// then the Debian defaults under /usr/share/sounds/sf3 and sf2, then
// FluidR3_GM and TimGM6mb. Empty when there is none.
std::string FindSoundFont();

}  // namespace platform
