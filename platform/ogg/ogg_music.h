// What the Ogg Vorbis music device (ogg_music.cpp) tells its pages and tests.
#pragma once

namespace platform {

// Seconds into the current tune; -1 without one.
double TunePositionSeconds();

// The music's volume as SDL_mixer plays it (0..128).
int MusicVolumeAsPlayed();

}  // namespace platform
