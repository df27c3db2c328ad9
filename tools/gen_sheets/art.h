// Shared pieces of the sheet generator: the sheet buffers, the two ways a
// picture is placed on a sheet (masked sprite or light on black), and the
// little colour and noise helpers every painter uses.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/sheets.h"

struct Sheet {
  int w = 0, h = 0;
  std::vector<uint32_t> px;  // 0x00RRGGBB, row by row
  void Set(int x, int y, uint32_t rgb) {
    if (x >= 0 && y >= 0 && x < w && y < h) px[size_t(y) * w + x] = rgb & 0xFFFFFFu;
  }
  uint32_t Get(int x, int y) const { return px[size_t(y) * w + x]; }
};

// A painter draws one cell into a transparent Cairo context of the cell's size.
using Painter = std::function<void(cairo_t*)>;

// Draws a w x h masked cell: the sprite at (x, spriteY), its mask at
// (x, maskY). Pixels at least half covered become opaque (mask black, sprite
// the picture over black); the rest are transparent (mask white, sprite black).
void PutMasked(Sheet& s, int x, int spriteY, int maskY, int w, int h, const Painter& paint);
// Same, but the sprite row only (pictures ORed onto the screen, drawn on black).
void PutLight(Sheet& s, int x, int y, int w, int h, const Painter& paint);

// Colour helpers for Cairo.
struct Rgb {
  double r, g, b;
};
Rgb Hex(uint32_t rgb);
Rgb Mix(Rgb a, Rgb b, double t);
Rgb Scale(Rgb a, double k);
void SetColour(cairo_t* cr, Rgb c, double alpha = 1.0);
void AddStop(cairo_pattern_t* p, double at, Rgb c, double alpha = 1.0);
// A filled polygon from a list of x, y pairs (closed).
void Polygon(cairo_t* cr, std::initializer_list<double> xy);
// Fills the current path with `fill`, outlined in `line` of width `lw`.
void FillOutline(cairo_t* cr, Rgb fill, Rgb line, double lw);
// Soft round light of radius r at (x, y): colour at the centre fading to none.
void Glow(cairo_t* cr, double x, double y, double r, Rgb centre, Rgb rim, double alpha = 1.0);

// Deterministic noise, periodic in both directions with the given period.
double Hash01(int x, int y, int seed);
double PeriodicNoise(double x, double y, int period, int cells, int seed);
double Fbm(double x, double y, int period, int seed);

// The painters of each group of sheets.
void DrawShipSheets(std::vector<Sheet>& sheets);    // ship, charge glow, charged and normal shot, overlay
void DrawEnemySheets(std::vector<Sheet>& sheets);   // small cells, enemies, turrets
void DrawItemSheets(std::vector<Sheet>& sheets);    // round glow, capsule, items, medal
void DrawScreenSheets(std::vector<Sheet>& sheets);  // gauge, flash, logo, game over, boss light
void DrawTileSheet(std::vector<Sheet>& sheets);     // tiles

// The player's ship, nose up, in a 45 x 65 cell. lean -1 banks left, +1 right;
// flame 0 or 1 is the engine flicker; unfold 0..1 spreads the winged form.
void DrawShip(cairo_t* cr, double lean, int flame, double unfold);
// Lettering in the game's own angular face.
double TextWidth(const char* text, double unit);
void TextPath(cairo_t* cr, const char* text, double x, double y, double unit);
