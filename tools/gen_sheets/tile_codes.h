// How the background tiles of sheet 9 are arranged, shared by the sheet and
// map generators. Column s holds the sixteen tiles of background s (0 the
// title, 1..8 the stages). Each tile is one of the sixteen ways its four
// corners can lie on the low ground or on the raised ground of its theme;
// neighbouring cells share corners, so the ground runs on across every seam.
#pragma once

// Corner bits: set where that corner is on the raised ground.
constexpr int kCornerTopLeft = 1, kCornerTopRight = 2, kCornerBottomLeft = 4, kCornerBottomRight = 8;

// The sheet row of a corner code; code 0 (all low ground) lands on row 14, so
// tile (8, 14) is the plain ground of the last background.
constexpr int TileRowForCode(int code) { return (code + 14) % 16; }
constexpr int CodeForTileRow(int row) { return (row + 2) % 16; }
static_assert(TileRowForCode(0) == 14 && CodeForTileRow(14) == 0, "plain tile at row 14");
