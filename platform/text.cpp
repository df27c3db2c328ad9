#include "platform/backend.h"
#include "platform/blit.h"

const uint32_t kTextColours[16] = {
    0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0,
    0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF,
};

void PrintText(double x, double y, double size, int colour, const std::string& text) {
  if (DrawingSkipped()) return;
  const uint32_t rgb = kTextColours[colour & 15];
  platform::DrawText(scrmain, RoundHalfEven(x), RoundHalfEven(y), RoundHalfEven(size), rgb, text);
}

void PrintTextRgb(double x, double y, double size, int red, int green, int blue, const std::string& text) {
  if (DrawingSkipped()) return;
  const uint32_t rgb = (uint32_t(red & 255) << 16) | (uint32_t(green & 255) << 8) | uint32_t(blue & 255);
  platform::DrawText(scrmain, RoundHalfEven(x), RoundHalfEven(y), RoundHalfEven(size), rgb, text);
}
