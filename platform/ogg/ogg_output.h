// The audio output of the Ogg Vorbis music devices (platform/ogg/ogg_music.cpp
// on Windows, platform/web/web_music.cpp on the web), opened once and shared
// with the sound effects; the music volume is kept here. StartMusicDevice and
// IsMusicDeviceReady (platform/sdl/sdl_music.h) and SetMusicVolume
// (platform/backend.h) are defined in ogg_output.cpp.
#pragma once

#include <string>

namespace platform {

// Where a tune's rendering lies: .../QapoMidi/name.mid -> .../QapoOgg/name.ogg
// (the game names its tunes by their MIDI files).
std::string OggRenderingOf(const std::string& midiPath);

}  // namespace platform
