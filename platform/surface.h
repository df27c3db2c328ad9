// Drawing surfaces: the play picture, the stage back buffer and the sprite
// sheets, all 32-bit 0x00RRGGBB pixel buffers that live for the whole run.
#pragma once

#include <cstdint>

#include "platform/sheets.h"

struct Surface {
  int width = 0;
  int height = 0;
  uint32_t* pixels = nullptr;  // row-major, width * height
};

constexpr int kScreenWidth = 332;
constexpr int kScreenHeight = 478;
constexpr int kBackWidth = 332;
constexpr int kBackHeight = 3000;

extern Surface scrmain;               // the visible play picture
extern Surface scrback;               // the whole background of the current stage
extern Surface imgchar[kSheetCount];  // sprite sheets by SheetId, read-only after loading

// Sets up scrback, then scrmain, then the sheets from the pictures carried in
// the executable. Returns false if the carried pictures do not match the sizes.
bool SetUpSurfaces();
// Fills a surface with black.
void ClearSurface(Surface& s);
// Darkens the part of `s` from (x0, y0) up to (x1, y1), clipped to it, to a
// quarter of its brightness: the panels under menus, notices and bars.
void DarkenArea(Surface& s, int x0, int y0, int x1, int y1);
// Presents scrmain (its one refresh per frame).
void RefreshScreen();
