// Glows, the bonus capsule, the bomb and shield items and the medal: sheets 4, 13, 17, 18.
#include <cmath>

#include "art.h"

namespace {

const Rgb kInk = Hex(0x0A0A14);

void Disc(cairo_t* cr, double x, double y, double r) {
  cairo_new_sub_path(cr);
  cairo_arc(cr, x, y, r, 0, 2 * M_PI);
}

// An item orb: the same round silhouette in every frame and for both items
// (the shield item is drawn over the bomb item's mask).
void DrawOrb(cairo_t* cr, int frame, Rgb base, const char* letter) {
  Disc(cr, 20, 20, 17.5);
  SetColour(cr, kInk);
  cairo_fill(cr);
  cairo_pattern_t* g = cairo_pattern_create_radial(14, 13, 1, 20, 20, 17);
  AddStop(g, 0, Mix(base, Hex(0xFFFFFF), 0.7));
  AddStop(g, 0.5, base);
  AddStop(g, 1, Scale(base, 0.35));
  cairo_set_source(cr, g);
  Disc(cr, 20, 20, 16);
  cairo_fill(cr);
  cairo_pattern_destroy(g);
  // A ring that turns with the frames.
  const double a = frame * M_PI / 4;
  cairo_save(cr);
  cairo_translate(cr, 20, 20);
  cairo_rotate(cr, a * 0.5);
  cairo_scale(cr, 1, std::fabs(std::cos(a)) * 0.8 + 0.2);
  Disc(cr, 0, 0, 13.5);
  cairo_restore(cr);
  SetColour(cr, Hex(0xFFFFFF), 0.7);
  cairo_set_line_width(cr, 1.4);
  cairo_stroke(cr);
  // The letter.
  const double unit = 2.9, w = TextWidth(letter, unit);
  TextPath(cr, letter, 20 - w / 2, 20 - 3 * unit, unit);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
  SetColour(cr, kInk);
  cairo_set_line_width(cr, 4.6);
  cairo_stroke_preserve(cr);
  SetColour(cr, Hex(0xFFFFFF));
  cairo_set_line_width(cr, 2.4);
  cairo_stroke(cr);
  // A glint that runs round the rim.
  const double ga = -M_PI * 0.75 + frame * M_PI / 4;
  cairo_arc(cr, 20, 20, 15.5, ga, ga + 0.6);
  SetColour(cr, Hex(0xFFFFFF), 0.9);
  cairo_set_line_width(cr, 1.6);
  cairo_stroke(cr);
}

void DrawCapsule(cairo_t* cr, int n) {
  // A pill lying across the cell, spinning about its long axis.
  const double a = n * M_PI / 4;
  cairo_new_path(cr);
  cairo_arc(cr, 9, 16, 8, M_PI / 2, 3 * M_PI / 2);
  cairo_arc(cr, 23, 16, 8, -M_PI / 2, M_PI / 2);
  cairo_close_path(cr);
  cairo_pattern_t* g = cairo_pattern_create_linear(0, 8, 0, 24);
  AddStop(g, 0, Hex(0xFFFFFF));
  AddStop(g, 0.35, Hex(0xFFD040));
  AddStop(g, 1, Hex(0x905000));
  cairo_set_source(cr, g);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(g);
  SetColour(cr, kInk);
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
  // Two bands that travel round the pill.
  for (int k = 0; k < 2; ++k) {
    const double phase = a + k * M_PI;
    const double y = 16 + 6.5 * std::sin(phase);
    if (std::cos(phase) < 0) continue;  // on the far side
    cairo_rectangle(cr, 3, y - 1.5, 26, 3);
    SetColour(cr, Hex(0xE02040));
    cairo_fill(cr);
  }
  cairo_arc(cr, 16, 16, 4, 0, 2 * M_PI);
  SetColour(cr, (n % 2) ? Hex(0xFFFFFF) : Hex(0x60E0FF));
  cairo_fill(cr);
}

void DrawMedal(cairo_t* cr, int n) {
  // A gold star medal turning on its vertical axis.
  const double a = n * M_PI / 4, k = std::max(0.18, std::fabs(std::cos(a)));
  const bool back = std::cos(a) < 0;
  cairo_save(cr);
  cairo_translate(cr, 20, 20);
  cairo_scale(cr, k, 1);
  cairo_arc(cr, 0, 0, 17, 0, 2 * M_PI);
  cairo_restore(cr);
  SetColour(cr, Hex(0x3A2000));
  cairo_fill(cr);
  cairo_save(cr);
  cairo_translate(cr, 20, 20);
  cairo_scale(cr, k, 1);
  cairo_arc(cr, 0, 0, 15.5, 0, 2 * M_PI);
  cairo_pattern_t* g = cairo_pattern_create_radial(-5, -6, 1, 0, 0, 16);
  AddStop(g, 0, Hex(0xFFFFE0));
  AddStop(g, 0.5, back ? Hex(0xD09A20) : Hex(0xFFD040));
  AddStop(g, 1, Hex(0x8A5A00));
  cairo_set_source(cr, g);
  cairo_fill(cr);
  cairo_pattern_destroy(g);
  for (int i = 0; i < 10; ++i) {
    const double t = -M_PI / 2 + i * M_PI / 5, r = i % 2 ? 4.5 : 11;
    if (i == 0)
      cairo_move_to(cr, std::cos(t) * r, std::sin(t) * r);
    else
      cairo_line_to(cr, std::cos(t) * r, std::sin(t) * r);
  }
  cairo_close_path(cr);
  cairo_restore(cr);
  SetColour(cr, back ? Hex(0xA06810) : Hex(0xFFF8D0));
  cairo_fill_preserve(cr);
  SetColour(cr, Hex(0x6A3A00));
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
}

}  // namespace

void DrawItemSheets(std::vector<Sheet>& sheets) {
  // Sheet 4: the round glow, stretched to any size and ORed on.
  PutLight(sheets[kRoundGlowSheet], 0, 0, 40, 40, [](cairo_t* cr) {
    cairo_pattern_t* g = cairo_pattern_create_radial(20, 20, 0, 20, 20, 19.5);
    AddStop(g, 0, Hex(0xFFFFFF));
    AddStop(g, 0.3, Hex(0xD8F4FF));
    AddStop(g, 0.6, Hex(0x60A0FF));
    AddStop(g, 0.85, Hex(0x2030A0));
    AddStop(g, 1, Hex(0x000000));
    cairo_set_source(cr, g);
    cairo_paint(cr);
    cairo_pattern_destroy(g);
  });
  for (int n = 0; n < 8; ++n) {
    PutMasked(sheets[kCapsuleSheet], 32 * n, 0, 32, 32, 32, [&](cairo_t* cr) { DrawCapsule(cr, n); });
    PutMasked(sheets[kItemSheet], 40 * n, 0, 40, 40, 40, [&](cairo_t* cr) { DrawOrb(cr, n, Hex(0xF04020), "B"); });
    // The shield item shares the bomb item's mask: its sprite row only.
    PutMasked(sheets[kItemSheet], 40 * n, 80, 40, 40, 40,
              [&](cairo_t* cr) { DrawOrb(cr, n, Hex(0x20B0F0), "S"); });
    PutMasked(sheets[kMedalSheet], 40 * n, 0, 40, 40, 40, [&](cairo_t* cr) { DrawMedal(cr, n); });
  }
}
