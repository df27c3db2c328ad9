// The game's own angular lettering, and the pictures made of it or of light:
// sheets 3 (gauge), 6 (flash and band), 10 (logo), 11 (game over), 12 (boss light).
#include <cmath>
#include <cstring>

#include "art.h"

namespace {

// Each glyph is a set of strokes on a 4 x 6 grid; -1 ends a stroke, -2 the glyph.
struct Glyph {
  char ch;
  double width;
  double pts[40];
};

// clang-format off
constexpr Glyph kGlyphs[] = {
  {'A', 4, {0,6, 0,1, 1,0, 3,0, 4,1, 4,6, -1, 0,3.5, 4,3.5, -2}},
  {'B', 4, {0,0, 3,0, 4,1, 4,2, 3,3, 0,3, -1, 3,3, 4,4, 4,5, 3,6, 0,6, 0,0, -2}},
  {'E', 4, {4,0, 0,0, 0,6, 4,6, -1, 0,3, 3,3, -2}},
  {'G', 4, {4,1, 3,0, 1,0, 0,1, 0,5, 1,6, 3,6, 4,5, 4,3, 2.2,3, -2}},
  {'I', 0, {0,0, 0,6, -2}},
  {'M', 4, {0,6, 0,0, 2,2.5, 4,0, 4,6, -2}},
  {'N', 4, {0,6, 0,0, 4,6, 4,0, -2}},
  {'O', 4, {1,0, 3,0, 4,1, 4,5, 3,6, 1,6, 0,5, 0,1, 1,0, -2}},
  {'R', 4, {0,6, 0,0, 3,0, 4,1, 4,2, 3,3, 0,3, -1, 2,3, 4,6, -2}},
  {'S', 4, {4,0, 1,0, 0,1, 0,2, 1,3, 3,3, 4,4, 4,5, 3,6, 0,6, -2}},
  {'T', 4, {0,0, 4,0, -1, 2,0, 2,6, -2}},
  {'V', 4, {0,0, 0,3.5, 2,6, 4,3.5, 4,0, -2}},
};
// clang-format on
constexpr double kGap = 1.6;  // between glyphs, in grid units

const Glyph* Find(char c) {
  for (const Glyph& g : kGlyphs)
    if (g.ch == c) return &g;
  return nullptr;
}

}  // namespace

double TextWidth(const char* text, double unit) {
  double w = 0;
  for (const char* c = text; *c; ++c) {
    const Glyph* g = Find(*c);
    w += (g ? g->width : 2.5) + kGap;
  }
  return (w - kGap) * unit;
}

// Adds the glyph strokes as an open path; stroke it with a width near `unit`.
void TextPath(cairo_t* cr, const char* text, double x, double y, double unit) {
  for (const char* c = text; *c; ++c) {
    const Glyph* g = Find(*c);
    if (!g) {
      x += (2.5 + kGap) * unit;
      continue;
    }
    bool start = true;
    for (int i = 0; g->pts[i] != -2;) {
      if (g->pts[i] == -1) {
        start = true;
        ++i;
        continue;
      }
      const double px = x + g->pts[i] * unit, py = y + g->pts[i + 1] * unit;
      if (start)
        cairo_move_to(cr, px, py);
      else
        cairo_line_to(cr, px, py);
      start = false;
      i += 2;
    }
    x += (g->width + kGap) * unit;
  }
}

namespace {

void StrokeText(cairo_t* cr, const char* text, double x, double y, double unit, double width) {
  TextPath(cr, text, x, y, unit);
  cairo_set_line_width(cr, width);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_SQUARE);
  cairo_stroke(cr);
}

void DrawLogo(cairo_t* cr) {
  const char* text = "TESSIVANE";
  const double unit = 5.2, x = (264 - TextWidth(text, unit)) / 2, y = (44 - 6 * unit) / 2;
  // A soft blue halo, then the letters in a chrome-to-amber sweep.
  for (int k = 3; k >= 1; --k) {
    SetColour(cr, Hex(0x2040C0), 0.22);
    StrokeText(cr, text, x, y, unit, unit * 0.9 + 2.6 * k);
  }
  cairo_pattern_t* g = cairo_pattern_create_linear(0, y, 0, y + 6 * unit);
  AddStop(g, 0, Hex(0xFFFFFF));
  AddStop(g, 0.45, Hex(0x9CE8FF));
  AddStop(g, 0.5, Hex(0x3070D0));
  AddStop(g, 0.75, Hex(0xFFC040));
  AddStop(g, 1, Hex(0xFFF4C0));
  cairo_set_source(cr, g);
  StrokeText(cr, text, x, y, unit, unit * 0.9);
  cairo_pattern_destroy(g);
  // A thin bright rule through the middle, the logo's signature.
  SetColour(cr, Hex(0xFFFFFF), 0.9);
  cairo_move_to(cr, x, y + 6 * unit + 3.5);
  cairo_line_to(cr, x + TextWidth(text, unit), y + 6 * unit + 3.5);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
}

void DrawGameOver(cairo_t* cr) {
  const char* text = "GAME OVER";
  const double unit = 5.4, x = (256 - TextWidth(text, unit)) / 2, y = (46 - 6 * unit) / 2;
  SetColour(cr, Hex(0x100408));
  StrokeText(cr, text, x, y, unit, unit * 0.9 + 3.5);
  cairo_pattern_t* g = cairo_pattern_create_linear(0, y, 0, y + 6 * unit);
  AddStop(g, 0, Hex(0xFFF0F0));
  AddStop(g, 0.4, Hex(0xFF6060));
  AddStop(g, 0.55, Hex(0xB01020));
  AddStop(g, 1, Hex(0xFF9040));
  cairo_set_source(cr, g);
  StrokeText(cr, text, x, y, unit, unit * 0.9);
  cairo_pattern_destroy(g);
}

void DrawGauge(Sheet& s) {
  // Frame: an opaque dark trough in a steel rim; the fill lands at (3, 3).
  PutMasked(s, 0, 0, 19, 102, 19, [](cairo_t* cr) {
    cairo_rectangle(cr, 0.5, 0.5, 101, 18);
    FillOutline(cr, Hex(0x8C9AB4), Hex(0x20283A), 1);
    cairo_rectangle(cr, 2.5, 2.5, 97, 14);
    FillOutline(cr, Hex(0x0C1020), Hex(0x404C68), 1);
    for (int k = 1; k < 4; ++k) {  // quarter ticks
      cairo_move_to(cr, 3 + 24 * k + 0.5, 14);
      cairo_line_to(cr, 3 + 24 * k + 0.5, 16);
      SetColour(cr, Hex(0x506080));
      cairo_set_line_width(cr, 1);
      cairo_stroke(cr);
    }
  });
  // Fill strips: colour in columns 102..197, empty (transparent) in 198..301.
  const struct {
    int spriteY, maskY;
    uint32_t dark, mid, light, edge;
  } strips[2] = {{0, 19, 0x1050C0, 0x28A0FF, 0xB0ECFF, 0xFFFFFF},
                 {38, 57, 0xC04008, 0xFF9020, 0xFFF0A0, 0xFFFFFF}};
  for (const auto& st : strips) {
    for (int x = 102; x < 302; ++x)
      for (int y = 0; y < 13; ++y) {
        const bool filled = x < 198;
        uint32_t c = 0;
        if (filled) {
          const double t = std::fabs(y - 4.0) / 8.0;  // bright band near the top
          const Rgb col = Mix(Hex(st.light), Mix(Hex(st.mid), Hex(st.dark), t), std::min(1.0, t * 1.6 + 0.15));
          const Rgb shown = x >= 195 ? Hex(st.edge) : ((x - 102) % 8 == 7 ? Scale(col, 0.8) : col);
          c = (uint32_t(shown.r * 255 + 0.5) << 16) | (uint32_t(shown.g * 255 + 0.5) << 8) |
              uint32_t(shown.b * 255 + 0.5);
        }
        s.Set(x, st.spriteY + y, c);
        s.Set(x, st.maskY + y, filled ? 0u : 0xFFFFFFu);
      }
  }
}

}  // namespace

void DrawScreenSheets(std::vector<Sheet>& sheets) {
  DrawGauge(sheets[kGaugeSheet]);

  // Sheet 6: the full-screen flash, white hot at the centre; a black band at 350..364.
  PutLight(sheets[kFlashSheet], 0, 0, 350, 460, [](cairo_t* cr) {
    cairo_pattern_t* g = cairo_pattern_create_radial(175, 230, 0, 175, 230, 300);
    AddStop(g, 0, Hex(0xFFFFFF));
    AddStop(g, 0.45, Hex(0xF4F8FF));
    AddStop(g, 1, Hex(0xA0C0FF));
    cairo_set_source(cr, g);
    cairo_paint(cr);
    cairo_pattern_destroy(g);
    for (int k = 0; k < 24; ++k) {  // faint rays from the centre
      const double a = k * M_PI / 12;
      cairo_move_to(cr, 175, 230);
      cairo_line_to(cr, 175 + std::cos(a - 0.04) * 400, 230 + std::sin(a - 0.04) * 400);
      cairo_line_to(cr, 175 + std::cos(a + 0.04) * 400, 230 + std::sin(a + 0.04) * 400);
      cairo_close_path(cr);
      SetColour(cr, Hex(0xFFFFFF), 0.5);
      cairo_fill(cr);
    }
  });
  for (int y = 0; y < 460; ++y)
    for (int x = 350; x < 365; ++x) sheets[kFlashSheet].Set(x, y, 0);

  PutLight(sheets[kLogoSheet], 0, 0, 264, 44, DrawLogo);
  PutMasked(sheets[kGameOverSheet], 0, 0, 46, 256, 46, DrawGameOver);
  for (int y = 0; y < 92; ++y)
    for (int x = 256; x < 259; ++x) sheets[kGameOverSheet].Set(x, y, y < 46 ? 0u : 0xFFFFFFu);

  // Sheet 12: the boss-destruction light, read from its top-left corner as a
  // growing window, so it is bright everywhere with soft streaks of colour.
  Sheet& s12 = sheets[kBossLightSheet];
  for (int y = 0; y < 920; ++y)
    for (int x = 0; x < 700; ++x) {
      const double streak = 0.5 + 0.5 * std::sin(x * 0.045 + 1.3 * std::sin(y * 0.011)) *
                                      std::sin(y * 0.023 + 0.7 * std::sin(x * 0.017));
      const double v = 0.92 + 0.08 * streak;
      const int r = int(255 * v + 0.5), g = int(255 * (v - 0.02 * (1 - streak)) + 0.5),
                b = int(255 * (v - 0.07 * (1 - streak)) + 0.5);
      s12.Set(x, y, (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b));
    }
}
