// The drawing helpers. Every coordinate and size is rounded to the nearest
// integer (halves to even) before the transfer; destinations are clipped, and
// any part of a source rectangle outside its sheet draws nothing.
#pragma once

#include <cstdint>
#include <string>

#include "platform/surface.h"

// AND of the mask rectangle, then OR of the sprite rectangle, onto (dx, dy).
void DrawMasked(const Surface& src, double srcX, double spriteY, double maskY, double w, double h, Surface& dest,
                double dx, double dy);
// OR of the rectangle onto (dx, dy).
void BlitOr(const Surface& src, double srcX, double srcY, double w, double h, Surface& dest, double dx, double dy);
// Plain copy of the rectangle onto (dx, dy).
void BlitCopy(const Surface& src, double srcX, double srcY, double w, double h, Surface& dest, double dx,
              double dy);
// As DrawMasked, the sw x sh source scaled to dw x dh (nearest neighbour); a
// negative destination size mirrors the picture in that direction.
void StretchMasked(const Surface& src, double srcX, double spriteY, double maskY, double dw, double dh,
                   Surface& dest, double dx, double dy, double sw, double sh);
// As BlitOr, the sw x sh source scaled to dw x dh.
void StretchOr(const Surface& src, double srcX, double srcY, double dw, double dh, Surface& dest, double dx,
               double dy, double sw, double sh);

// Text on scrmain in the bold gothic face; `size` in points.
void PrintText(double x, double y, double size, int colour, const std::string& text);
void PrintTextRgb(double x, double y, double size, int red, int green, int blue, const std::string& text);

// The 16-colour table of PrintText, as 0x00RRGGBB.
extern const uint32_t kTextColours[16];

// While skipped, every drawing helper above returns at once: nothing the
// game keeps depends on the pixels, so a replay checked without pictures
// plays the same (tessivane-headless --verify).
void SetDrawingSkipped(bool skipped);
bool DrawingSkipped();

// Float to integer as the game converts: nearest, halves to even.
int32_t RoundHalfEven(double v);
