// The player's ship and everything it fires: sheets 0, 1, 2, 5 and 16.
#include <cmath>

#include "art.h"

namespace {

const Rgb kHull = Hex(0xDCE4F0), kHullShade = Hex(0x7C8AA8), kNavy = Hex(0x243466), kLine = Hex(0x0C1224),
          kRed = Hex(0xE8364A), kCanopy = Hex(0x48E8FF), kBlade = Hex(0x5A7CFF);

// Geometry of one pose: points are given as (dx from the centre line, y).
struct ShipPose {
  double lean, unfold;
  double X(double dx) const {
    const double k = dx < 0 ? (lean < 0 ? 1 + 0.3 * lean : 1) : (lean > 0 ? 1 - 0.3 * lean : 1);
    return 22.5 + lean * 1.5 + dx * k;
  }
  void Move(cairo_t* cr, double dx, double y) const { cairo_move_to(cr, X(dx), y); }
  void Line(cairo_t* cr, double dx, double y) const { cairo_line_to(cr, X(dx), y); }
  // A shape given by its right half, mirrored onto the left (side -1) or as is (side 1).
  void Shape(cairo_t* cr, std::initializer_list<double> xy, int side) const {
    const double* p = xy.begin();
    Move(cr, side * p[0], p[1]);
    for (size_t i = 2; i + 1 < xy.size(); i += 2) Line(cr, side * p[i], p[i + 1]);
    cairo_close_path(cr);
  }
  double L(double a, double b) const { return a + (b - a) * unfold; }
};

void FuselagePath(cairo_t* cr, const ShipPose& p) {
  p.Move(cr, 0, 2);
  for (double s : {1.0}) {
    p.Line(cr, 3 * s, 10);
    p.Line(cr, 4.5 * s, 22);
    p.Line(cr, 4.5 * s, 44);
    p.Line(cr, 3 * s, 50);
  }
  p.Line(cr, -3, 50);
  p.Line(cr, -4.5, 44);
  p.Line(cr, -4.5, 22);
  p.Line(cr, -3, 10);
  cairo_close_path(cr);
}

void WingPath(cairo_t* cr, const ShipPose& p, int side) {
  p.Shape(cr, {4, 24, p.L(16, 21.5), p.L(40, 30), p.L(16, 21.5), p.L(45, 38), 10, 46, 4, 42}, side);
}

void BladePath(cairo_t* cr, const ShipPose& p, int side) {
  const double t = p.unfold;
  p.Shape(cr, {4, 19, 4 + 15 * t, 19 - 15 * t, 4 + 17 * t, 21 - 11 * t, 4, 28}, side);
}

void NacellePath(cairo_t* cr, const ShipPose& p, int side) { p.Shape(cr, {4.5, 31, 8.5, 34, 9, 50, 5, 51}, side); }

void CanardPath(cairo_t* cr, const ShipPose& p, int side) { p.Shape(cr, {3.5, 13, 8, 19, 8, 21.5, 4, 20}, side); }

void SilhouettePath(cairo_t* cr, const ShipPose& p) {
  FuselagePath(cr, p);
  for (int side : {-1, 1}) {
    WingPath(cr, p, side);
    NacellePath(cr, p, side);
    CanardPath(cr, p, side);
    if (p.unfold > 0) BladePath(cr, p, side);
  }
}

cairo_pattern_t* HullShading(const ShipPose& p, Rgb base) {
  cairo_pattern_t* g = cairo_pattern_create_linear(p.X(-16), 0, p.X(16), 0);
  const double lit = 0.5 - 0.35 * p.lean;  // the raised side catches the light
  AddStop(g, 0, Scale(base, 0.55));
  AddStop(g, lit, Scale(base, 1.08));
  AddStop(g, 1, Scale(base, 0.55));
  return g;
}

void FillShaded(cairo_t* cr, const ShipPose& p, Rgb base) {
  cairo_pattern_t* g = HullShading(p, base);
  cairo_set_source(cr, g);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(g);
  SetColour(cr, kLine);
  cairo_set_line_width(cr, 0.9);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_stroke(cr);
}

void Flame(cairo_t* cr, double x, double y, double len, double wid) {
  cairo_pattern_t* g = cairo_pattern_create_linear(0, y, 0, y + len);
  AddStop(g, 0, Hex(0xFFFFFF));
  AddStop(g, 0.3, Hex(0xFFE070));
  AddStop(g, 0.7, Hex(0xFF7020));
  AddStop(g, 1, Hex(0xC02010), 0.0);
  cairo_set_source(cr, g);
  cairo_move_to(cr, x - wid, y);
  cairo_curve_to(cr, x - wid, y + len * 0.5, x - 0.5, y + len * 0.8, x, y + len);
  cairo_curve_to(cr, x + 0.5, y + len * 0.8, x + wid, y + len * 0.5, x + wid, y);
  cairo_close_path(cr);
  cairo_fill(cr);
  cairo_pattern_destroy(g);
}

}  // namespace

void DrawShip(cairo_t* cr, double lean, int flame, double unfold) {
  const ShipPose p{lean, unfold};
  // Engine flames first, under the hull.
  const double len = flame ? 13 : 9.5;
  for (int side : {-1, 1}) Flame(cr, p.X(side * 7), 49.5, len + (side > 0 ? 0.5 : 0) * flame, 2.2);
  Flame(cr, p.X(0), 49, len * 0.6, 1.6);

  for (int side : {-1, 1}) {
    if (unfold > 0) {
      BladePath(cr, p, side);
      FillShaded(cr, p, Mix(kBlade, kHull, 0.25));
      // The glowing edge of a spread blade.
      const double t = unfold;
      p.Move(cr, side * 4.5, 20);
      p.Line(cr, side * (4 + 15 * t), 19 - 15 * t);
      SetColour(cr, Hex(0xA0F8FF), 0.3 + 0.7 * t);
      cairo_set_line_width(cr, 1.1);
      cairo_stroke(cr);
    }
    WingPath(cr, p, side);
    FillShaded(cr, p, kHull);
    // A red stripe along the wing's trailing part.
    p.Shape(cr, {6, 34, p.L(14, 19), p.L(41.5, 33), p.L(14, 19), p.L(43, 35.5), 6, 37}, side);
    SetColour(cr, kRed);
    cairo_fill(cr);
    NacellePath(cr, p, side);
    FillShaded(cr, p, Mix(kHull, kNavy, 0.55));
    CanardPath(cr, p, side);
    FillShaded(cr, p, Mix(kHull, kNavy, 0.3));
  }
  FuselagePath(cr, p);
  FillShaded(cr, p, kHull);
  // Spine and intake details.
  p.Move(cr, 0, 27);
  p.Line(cr, 0, 46);
  SetColour(cr, kNavy, 0.8);
  cairo_set_line_width(cr, 1.6);
  cairo_stroke(cr);
  // Canopy.
  cairo_save(cr);
  cairo_translate(cr, p.X(0), 16.5);
  cairo_scale(cr, 1.9, 5.2);
  cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
  cairo_restore(cr);
  cairo_pattern_t* g = cairo_pattern_create_linear(0, 11, 0, 22);
  AddStop(g, 0, Hex(0xE8FFFF));
  AddStop(g, 0.4, kCanopy);
  AddStop(g, 1, Hex(0x1050A0));
  cairo_set_source(cr, g);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(g);
  SetColour(cr, kLine);
  cairo_set_line_width(cr, 0.8);
  cairo_stroke(cr);
}

void DrawShipSheets(std::vector<Sheet>& sheets) {
  const double leans[6] = {0, 0, -1, -1, 1, 1};
  // Sheet 0: six banking cells, then the unfolding frames of the winged form.
  for (int bank = 0; bank < 6; ++bank)
    PutMasked(sheets[kShipSheet], 45 * bank, 0, 65, 45, 65,
              [&](cairo_t* cr) { DrawShip(cr, leans[bank], bank & 1, 0); });
  for (int f = 0; f < 6; ++f)
    for (int b = 0; b < 2; ++b)
      PutMasked(sheets[kShipSheet], 270 + 45 * b + 90 * f, 0, 65, 45, 65,
                [&](cairo_t* cr) { DrawShip(cr, 0, b, f / 5.0); });

  // Sheet 5: a charged aura around the ship, light on black, one per bank.
  for (int bank = 0; bank < 6; ++bank)
    PutLight(sheets[kShipOverlaySheet], 45 * bank, 0, 45, 65, [&](cairo_t* cr) {
      const ShipPose p{leans[bank], 0};
      cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
      const struct {
        double width, alpha;
        uint32_t colour;
      } rings[] = {{7, 0.25, 0x2060FF}, {4, 0.5, 0x30B0FF}, {1.6, 1.0, 0xC0FFFF}};
      for (const auto& ring : rings) {
        SilhouettePath(cr, p);
        SetColour(cr, Hex(ring.colour), ring.alpha);
        cairo_set_line_width(cr, ring.width);
        cairo_stroke(cr);
      }
      SilhouettePath(cr, p);
      cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
      SetColour(cr, Hex(0x103070));
      cairo_fill(cr);
    });

  // Sheet 16: the normal shot, twin bolts, two frames.
  for (int f = 0; f < 2; ++f)
    PutMasked(sheets[kNormalShotSheet], 17 * f, 0, 18, 17, 18, [&](cairo_t* cr) {
      for (int side : {-1, 1}) {
        const double x = 8.5 + side * 3.5, top = 1 + (f ^ (side > 0)) * 1.5;
        cairo_move_to(cr, x, top);
        cairo_line_to(cr, x, 16.5);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        SetColour(cr, Hex(0x0A2060));
        cairo_set_line_width(cr, 4.6);
        cairo_stroke_preserve(cr);
        SetColour(cr, f ? Hex(0x50D0FF) : Hex(0x60FFE0));
        cairo_set_line_width(cr, 3.2);
        cairo_stroke_preserve(cr);
        SetColour(cr, Hex(0xFFFFFF));
        cairo_set_line_width(cr, 1.3);
        cairo_stroke(cr);
      }
    });

  // Sheet 2: the charged shot, an energy lance (also drawn 4 and 7 times larger).
  for (int f = 0; f < 2; ++f)
    PutMasked(sheets[kChargedShotSheet], 18 * f, 0, 28, 18, 28, [&](cairo_t* cr) {
      auto lance = [&](double w, double tip, double bottom) {
        cairo_move_to(cr, 9, tip);
        cairo_curve_to(cr, 9 + w * 0.6, tip + 8, 9 + w, bottom - 9, 9 + w, bottom - w);
        cairo_arc(cr, 9, bottom - w, w, 0, M_PI);
        cairo_curve_to(cr, 9 - w, bottom - 9, 9 - w * 0.6, tip + 8, 9, tip);
        cairo_close_path(cr);
      };
      lance(8, 0.5, 27.5);
      SetColour(cr, Hex(0x08205A));
      cairo_fill(cr);
      lance(7, 1.5, 26.5);
      SetColour(cr, f ? Hex(0x3A70FF) : Hex(0x2C9CFF));
      cairo_fill(cr);
      lance(5, 3.5, 25);
      SetColour(cr, f ? Hex(0x70E8FF) : Hex(0x90C8FF));
      cairo_fill(cr);
      lance(2.8, 7, 22.5);
      SetColour(cr, Hex(0xFFFFFF));
      cairo_fill(cr);
      // Swirl marks that alternate between the frames.
      for (int k = 0; k < 3; ++k) {
        const double y = 11 + 5 * k + (f ? 2.5 : 0);
        cairo_move_to(cr, 9 - 4.5, y);
        cairo_curve_to(cr, 9 - 1, y - 2, 9 + 1, y + 2, 9 + 4.5, y);
        SetColour(cr, Hex(0xC8F4FF), 0.9);
        cairo_set_line_width(cr, 0.9);
        cairo_stroke(cr);
      }
    });

  // Sheet 1: the charge glow gathering at the nose, three frames.
  for (int f = 0; f < 3; ++f)
    PutMasked(sheets[kChargeGlowSheet], 20 * f, 0, 15, 20, 15, [&](cairo_t* cr) {
      const double r = 4.2 + 0.9 * f;
      for (int k = 0; k < 6; ++k) {  // sparks turning around the ball
        const double a = k * M_PI / 3 + f * 0.35;
        cairo_move_to(cr, 10 + std::cos(a) * (r + 1), 7.5 + std::sin(a) * (r + 1) * 0.72);
        cairo_line_to(cr, 10 + std::cos(a + 0.2) * (r + 4), 7.5 + std::sin(a + 0.2) * (r + 4) * 0.72);
        SetColour(cr, Hex(0x80E0FF));
        cairo_set_line_width(cr, 1.4);
        cairo_stroke(cr);
      }
      cairo_save(cr);
      cairo_translate(cr, 10, 7.5);
      cairo_scale(cr, 1, 0.8);
      cairo_arc(cr, 0, 0, r + 0.8, 0, 2 * M_PI);
      cairo_restore(cr);
      SetColour(cr, Hex(0x1848B0));
      cairo_fill(cr);
      cairo_pattern_t* g = cairo_pattern_create_radial(10, 7.5, 0, 10, 7.5, r);
      AddStop(g, 0, Hex(0xFFFFFF));
      AddStop(g, 0.5, Hex(0x9CF0FF));
      AddStop(g, 1, Hex(0x3080FF));
      cairo_set_source(cr, g);
      cairo_save(cr);
      cairo_translate(cr, 10, 7.5);
      cairo_scale(cr, 1, 0.8);
      cairo_arc(cr, 0, 0, r, 0, 2 * M_PI);
      cairo_restore(cr);
      cairo_fill(cr);
      cairo_pattern_destroy(g);
    });
}
