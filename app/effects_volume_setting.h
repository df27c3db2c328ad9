// Where the sound-effects volume setting takes effect.
#pragma once

// volume: 0 (silent) .. 10 (full).
void ApplyEffectsVolumeSetting(int volume);
