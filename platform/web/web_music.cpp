// What the page and its tests read of the music device (platform/ogg).
#include <emscripten.h>

#include "platform/ogg/ogg_music.h"

// Seconds into the current tune, -1 without one.
extern "C" EMSCRIPTEN_KEEPALIVE double tessivane_music_position() { return platform::TunePositionSeconds(); }

// The music's volume as SDL_mixer plays it (0..128).
extern "C" EMSCRIPTEN_KEEPALIVE int tessivane_music_volume() { return platform::MusicVolumeAsPlayed(); }
