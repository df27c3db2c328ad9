// The sprite sheets carried inside the executable, as the art generator wrote
// them: for each of the 19 sheets in order, its width and height as 16-bit
// little-endian numbers, then width * height pixels as 32-bit little-endian
// 0x00RRGGBB values, row by row.
#pragma once

#include <cstddef>
#include <cstdint>

// The sheets, by what they hold. Cell layouts are described where each is drawn.
enum SheetId : int {
  kShipSheet,         // the player's ship: 45 x 65 cells, masks in the row below
  kChargeGlowSheet,   // the glow of a charging shot: three 20 x 15 frames, masks below
  kChargedShotSheet,  // the charged shot: two 18 x 28 frames, masks below
  kGaugeSheet,        // the charge gauge and the shield caption
  kRoundGlowSheet,    // one round glow, drawn additively at any size
  kShipOverlaySheet,  // the light over the ship during a bomb
  kFlashSheet,        // the full-screen flash; x 350..364 the transitions' band
  kSmallCellSheet,    // shield slots and bullets, 20 x 20
  kEnemySheet,        // the enemies, 40 x 40; cell x 0 is the explosion glow
  kTileSheet,         // the background tiles: 9 x 16 cells of 40 x 40
  kLogoSheet,         // the title logo
  kGameOverSheet,     // the game-over picture
  kBossLightSheet,    // the light that grows from a destroyed boss
  kCapsuleSheet,      // the bonus capsule: 32 x 32 frames
  kSmallTurretSheet,  // small turrets, one 7 x 6 cell per direction
  kLargeTurretSheet,  // large turrets, one 12 x 9 cell per direction
  kNormalShotSheet,   // the normal shot: two 17 x 18 frames, masks below
  kItemSheet,         // the bomb and shield items and the menu cursor: 40 x 40
  kMedalSheet,        // the medal emblem: eight 40 x 40 frames, masks below
  kSheetCount
};

struct SheetInfo {
  const char* name;
  int width, height;
};
// clang-format off
constexpr SheetInfo kSheets[kSheetCount] = {
    {"ship",          810, 130},
    {"charge glow",    60,  30},
    {"charged shot",   36,  56},
    {"gauge",         305,  70},
    {"round glow",     40,  40},
    {"ship overlay",  270,  65},
    {"flash",         365, 460},
    {"small cells",   180,  40},
    {"enemies",       840,  80},
    {"tiles",         360, 640},
    {"logo",          264,  44},
    {"game over",     259,  92},
    {"boss light",    700, 920},
    {"capsule",       256,  64},
    {"small turret",   56,  12},
    {"large turret",   96,  18},
    {"normal shot",    34,  36},
    {"items",         320, 120},
    {"medal",         320,  80},
};
// clang-format on
static_assert(sizeof kSheets / sizeof kSheets[0] == kSheetCount, "one row per sheet");

// The pixels of all the sheets together.
constexpr int SheetsArea() {
  int total = 0;
  for (const SheetInfo& s : kSheets) total += s.width * s.height;
  return total;
}

extern "C" const unsigned char tessivane_sheets_begin[];
extern "C" const unsigned char tessivane_sheets_end[];
