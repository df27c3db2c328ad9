#include "app/effects_volume_setting.h"

// No sound effects play yet; their mixer takes the volume here when it comes.
void ApplyEffectsVolumeSetting(int /*volume*/) {}
