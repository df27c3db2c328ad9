// Full-screen white flashes, dimmed when the player asked for less flashing.
#pragma once

#include "platform/surface.h"

// ORs the flash picture (350 x 460 from the top-left of `sheet`) onto
// scrmain: whole, or at a quarter of its brightness with "reduce flashing".
void DrawWhiteFlash(const Surface& sheet);
