// Sheet 9: the background tiles, nine themes of sixteen corner tiles each.
#include <cmath>

#include "art.h"
#include "tile_codes.h"

namespace {

uint32_t Pack(Rgb c) {
  auto b = [](double v) { return uint32_t(std::lround(std::min(1.0, std::max(0.0, v)) * 255)); };
  return (b(c.r) << 16) | (b(c.g) << 8) | b(c.b);
}

// Everything a theme needs to colour one pixel.
struct Spot {
  double x, y;   // pixel within the 40 x 40 period
  double d;      // signed distance-like value: > 0 on the raised ground
  double light;  // relief shading, > 0 on slopes facing the upper left
  double n;      // fine periodic noise 0..1
};

// Grid lines every `step` pixels (0 or 1).
double Grid(double x, double y, int step) { return (int(x) % step == 0 || int(y) % step == 0) ? 1 : 0; }

Rgb TitleGround(const Spot& s) {
  if (s.d <= 0) {
    Rgb c = Mix(Hex(0x0A1030), Hex(0x142050), s.n);
    if (Grid(s.x, s.y, 20)) c = Hex(0x1E3A80);
    if (int(s.x) % 20 == 10 && int(s.y) % 20 == 10) c = Hex(0x60A0FF);
    return c;
  }
  Rgb c = Mix(Hex(0x3A4A78), Hex(0x5868A0), s.n);
  if (Grid(s.x + 5, s.y, 40)) c = Hex(0x20284A);
  if (s.d < 0.05) c = Hex(0x8CB0FF);
  return Scale(c, 1 + s.light);
}

Rgb Coast(const Spot& s) {
  if (s.d <= 0) {
    const double wave = 0.5 + 0.5 * std::sin((s.y + 6 * s.n) * 2 * M_PI / 10);
    Rgb c = Mix(Hex(0x0E3C78), Hex(0x1A5CA0), 0.6 * s.n + 0.3 * wave);
    if (s.d > -0.14) c = Mix(Hex(0x3A9CC8), c, -s.d / 0.14);  // shallows
    if (wave > 0.93 && s.n > 0.55) c = Hex(0xB8E0F8);         // glints
    return c;
  }
  if (s.d < 0.1) return Mix(Hex(0xE8D8A0), Hex(0xD0B878), s.n);  // beach
  return Scale(Mix(Hex(0x3A8A30), Hex(0x5AA83C), s.n), 1 + s.light);
}

Rgb Forest(const Spot& s) {
  if (s.d <= 0) {
    const double rows = 0.5 + 0.5 * std::sin(s.x * 2 * M_PI / 8);
    return Mix(Mix(Hex(0x8CA848), Hex(0xA8B858), rows * 0.6), Hex(0x6C8C38), s.n * 0.5);
  }
  // Canopy: round crowns on a dark floor.
  const double cx = std::fmod(s.x, 10.0) - 5, cy = std::fmod(s.y + (int(s.x / 10) % 2) * 5, 10.0) - 5;
  const double crown = 1 - std::sqrt(cx * cx + cy * cy) / 6.0;
  Rgb c = crown > 0 ? Mix(Hex(0x1E5A20), Hex(0x4C9C38), crown * 0.8 + 0.2 * s.n) : Hex(0x12361A);
  if (s.d < 0.05) c = Scale(c, 0.7);
  return Scale(c, 1 + s.light);
}

Rgb Desert(const Spot& s) {
  if (s.d <= 0) {
    const double ripple = 0.5 + 0.5 * std::sin((s.y + s.x * 0.4 + 8 * s.n) * 2 * M_PI / 8);
    return Mix(Hex(0xD89A50), Hex(0xF0C078), ripple * 0.7 + 0.3 * s.n);
  }
  Rgb c = Mix(Hex(0x8A4A2A), Hex(0xA86038), s.n);
  if (std::fmod(s.y + 3 * s.n, 7.0) < 1) c = Scale(c, 0.82);  // strata
  return Scale(c, 1 + 1.6 * s.light);
}

Rgb Ice(const Spot& s) {
  if (s.d <= 0) {
    Rgb c = Mix(Hex(0x0C2440), Hex(0x1C3C60), s.n);
    if (s.n > 0.72) c = Hex(0x9CC8E8);  // drifting floes
    if (s.d > -0.05) c = Hex(0x5C8CB8);
    return c;
  }
  Rgb c = Mix(Hex(0xD8E8F8), Hex(0xFFFFFF), s.n);
  if (s.d < 0.05) c = Hex(0x98B8D8);
  return Scale(c, 1 + 0.8 * s.light);
}

Rgb City(const Spot& s) {
  if (s.d <= 0) {
    Rgb c = Mix(Hex(0x40444C), Hex(0x50545C), s.n);
    if (int(s.x) % 40 == 20 && int(s.y) % 10 < 5) c = Hex(0xD0C060);  // lane marks
    return c;
  }
  // Roofs: blocks of 20 px with vents and lit windows.
  const int bx = int(s.x) % 20, by = int(s.y) % 20;
  Rgb c = Mix(Hex(0x707888), Hex(0x8890A0), s.n);
  if (bx < 2 || by < 2)
    c = Hex(0x2A2E36);
  else if (bx > 5 && bx < 14 && by > 5 && by < 14)
    c = Hex(0x5A6070);
  if ((bx == 8 || bx == 11) && (by == 8 || by == 11)) c = Hex(0xFFE890);
  if (s.d < 0.05) c = Hex(0x30343C);
  return Scale(c, 1 + s.light);
}

Rgb Volcano(const Spot& s) {
  if (s.d <= 0) {
    const double flow = 0.5 + 0.5 * std::sin((s.y + 10 * s.n) * 2 * M_PI / 20);
    Rgb c = Mix(Hex(0xC02008), Hex(0xFF9020), flow * 0.7 + 0.3 * s.n);
    if (s.n < 0.3) c = Mix(Hex(0x401008), c, s.n / 0.3);  // crust
    return c;
  }
  Rgb c = Mix(Hex(0x2A2430), Hex(0x40384A), s.n);
  if (s.d < 0.05) c = Hex(0xFF6020);  // glowing rim
  return Scale(c, 1 + 1.4 * s.light);
}

Rgb Fortress(const Spot& s) {
  if (s.d <= 0) {
    Rgb c = Mix(Hex(0x06080C), Hex(0x101820), s.n);
    if (int(s.x) % 10 == 5 && int(s.y) % 10 == 5) c = Hex(0x30FF90);  // pit lights
    return c;
  }
  const int bx = int(s.x) % 20, by = int(s.y) % 20;
  Rgb c = Mix(Hex(0x5C6A5C), Hex(0x6C7A6A), s.n);
  if (bx == 0 || by == 0) c = Hex(0x2A302A);
  if ((bx == 3 || bx == 17) && (by == 3 || by == 17)) c = Hex(0xB0BCA8);
  if (s.d < 0.06) c = Mix(Hex(0xE0C040), Hex(0x202020), (int(s.x + s.y) / 4) % 2);  // hazard edge
  return Scale(c, 1 + s.light);
}

Rgb Space(const Spot& s) {
  if (s.d <= 0) {
    Rgb c = Mix(Hex(0x02030A), Hex(0x0A0C24), s.n * s.n);
    const double star = Hash01(int(s.x), int(s.y), 881);
    if (star > 0.988) c = Mix(Hex(0x8090C0), Hex(0xFFFFFF), (star - 0.988) / 0.012);
    return c;
  }
  Rgb c = Mix(Hex(0x4A3C34), Hex(0x6A5848), s.n);
  const double cx = std::fmod(s.x, 20.0) - 10, cy = std::fmod(s.y, 20.0) - 8;
  if (cx * cx + cy * cy < 10) c = Scale(c, 0.7);  // craters
  return Scale(c, 1 + 1.5 * s.light);
}

using Theme = Rgb (*)(const Spot&);
constexpr Theme kThemes[9] = {TitleGround, Coast, Forest, Desert, Ice, City, Volcano, Fortress, Space};

}  // namespace

void DrawTileSheet(std::vector<Sheet>& sheets) {
  Sheet& s9 = sheets[kTileSheet];
  for (int stage = 0; stage < 9; ++stage)
    for (int row = 0; row < 16; ++row) {
      const int code = CodeForTileRow(row);
      const double tl = code & kCornerTopLeft ? 1 : 0, tr = code & kCornerTopRight ? 1 : 0,
                   bl = code & kCornerBottomLeft ? 1 : 0, br = code & kCornerBottomRight ? 1 : 0;
      // The raised-ground field: the corners blended, roughened by a noise
      // that repeats every 40 px, so both sides of a seam agree.
      auto field = [&](double x, double y) {
        const double u = x / 40, v = y / 40;
        const double base = (tl * (1 - u) + tr * u) * (1 - v) + (bl * (1 - u) + br * u) * v;
        return base - 0.5 + 0.24 * (Fbm(x, y, 40, 100 + stage) - 0.5);
      };
      for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
          const double px = x + 0.5, py = y + 0.5;
          const double d = field(px, py);
          const double gx = field(px + 1, py) - field(px - 1, py), gy = field(px, py + 1) - field(px, py - 1);
          Spot spot{px, py, d, std::max(-0.35, std::min(0.35, (gx + gy) * 6)), Fbm(px, py, 40, 300 + stage)};
          // The play field's ground sits a little darker so that ships and bullets stand out.
          s9.Set(40 * stage + x, 40 * row + y, Pack(Scale(kThemes[stage](spot), stage == 0 ? 1.0 : 0.84)));
        }
    }
}
