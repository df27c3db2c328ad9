// Enemies, their turret heads and their bullets: sheets 7, 8, 14 and 15.
#include <cmath>

#include "art.h"

namespace {

const Rgb kInk = Hex(0x0A0A14);

// Fills the current path with a radial shine from the upper left, outlined in ink.
void Body(cairo_t* cr, double x0, double y0, double x1, double y1, Rgb base) {
  double ex0, ey0, ex1, ey1;
  cairo_fill_extents(cr, &ex0, &ey0, &ex1, &ey1);
  (void)x0;
  (void)y0;
  (void)x1;
  (void)y1;
  const double cx = ex0 + (ex1 - ex0) * 0.35, cy = ey0 + (ey1 - ey0) * 0.3;
  const double r = std::max(ex1 - ex0, ey1 - ey0);
  cairo_pattern_t* g = cairo_pattern_create_radial(cx, cy, 0, cx, cy, r);
  AddStop(g, 0, Mix(base, Hex(0xFFFFFF), 0.45));
  AddStop(g, 0.45, base);
  AddStop(g, 1, Scale(base, 0.35));
  cairo_set_source(cr, g);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(g);
  SetColour(cr, kInk);
  cairo_set_line_width(cr, 1.1);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_stroke(cr);
}
void Shade(cairo_t* cr, Rgb base) { Body(cr, 0, 0, 0, 0, base); }

void Circle(cairo_t* cr, double x, double y, double r) {
  cairo_new_sub_path(cr);
  cairo_arc(cr, x, y, r, 0, 2 * M_PI);
}

void Light(cairo_t* cr, double x, double y, double r, uint32_t colour) {
  Circle(cr, x, y, r);
  SetColour(cr, Hex(colour));
  cairo_fill(cr);
  Circle(cr, x - r * 0.3, y - r * 0.3, r * 0.4);
  SetColour(cr, Hex(0xFFFFFF), 0.85);
  cairo_fill(cr);
}

// Dark seats where the turret heads will sit.
void Mounts(cairo_t* cr, std::initializer_list<double> xy, double r) {
  const double* p = xy.begin();
  for (size_t i = 0; i + 1 < xy.size(); i += 2) {
    Circle(cr, p[i], p[i + 1], r);
    SetColour(cr, Hex(0x22242E));
    cairo_fill_preserve(cr);
    SetColour(cr, kInk);
    cairo_set_line_width(cr, 0.8);
    cairo_stroke(cr);
  }
}

void Exhaust(cairo_t* cr, double x, double y, double r, int f) {
  Glow(cr, x, y, r * (f ? 1.25 : 0.9), Hex(0xFFFFD0), Hex(0xFF6020));
}

// Ten enemy kinds in 40 x 40 cells, facing down the screen (towards the player).
void DrawEnemy(cairo_t* cr, int kind, int f) {
  switch (kind) {
    case 0: {  // dart: a red delta fighter
      Polygon(cr, {21.5, 38, 2, 9, 13, 8, 21.5, 13, 30, 8, 41, 9});
      Shade(cr, Hex(0xD83A3A));
      Exhaust(cr, 21.5, 11, 3.6, f);
      Polygon(cr, {21.5, 33, 17, 16, 21.5, 12, 26, 16});
      Shade(cr, Hex(0x8A1C28));
      Light(cr, 21.5, 27, 2.2, f ? 0xFFF080 : 0xFFB030);
      Mounts(cr, {14.5, 20, 28.5, 20}, 4.5);
      break;
    }
    case 1: {  // gunship: an olive armoured hull with sponsons
      Exhaust(cr, 15, 4, 3.5, f);
      Exhaust(cr, 28, 4, 3.5, f);
      Polygon(cr, {3, 14, 9, 10, 9, 32, 3, 28});
      Shade(cr, Hex(0x6A7A3A));
      Polygon(cr, {40, 14, 34, 10, 34, 32, 40, 28});
      Shade(cr, Hex(0x6A7A3A));
      Polygon(cr, {11, 4, 32, 4, 35, 10, 35, 31, 28, 38, 15, 38, 8, 31, 8, 10});
      Shade(cr, Hex(0x8EA048));
      cairo_rectangle(cr, 17, 27, 9, 7);
      Shade(cr, Hex(0x3A4420));
      Light(cr, 21.5, 30.5, 1.8, f ? 0xFF4040 : 0x802020);
      Mounts(cr, {14.5, 21, 28.5, 21}, 4.5);
      break;
    }
    case 2: {  // saucer: a violet disc with running lights
      cairo_save(cr);
      cairo_translate(cr, 21.5, 21);
      cairo_scale(cr, 1, 0.8);
      Circle(cr, 0, 0, 18.5);
      cairo_restore(cr);
      Shade(cr, Hex(0x8C4CD8));
      cairo_save(cr);
      cairo_translate(cr, 21.5, 21);
      cairo_scale(cr, 1, 0.8);
      Circle(cr, 0, 0, 11);
      cairo_restore(cr);
      Shade(cr, Hex(0xC8A0FF));
      for (int k = 0; k < 8; ++k) {
        const double a = (k + 0.5 * f) * M_PI / 4;
        Light(cr, 21.5 + std::cos(a) * 15.5, 21 + std::sin(a) * 12.4, 1.5, (k + f) % 2 ? 0x60FFFF : 0xFF60C0);
      }
      Mounts(cr, {14.5, 20, 28.5, 20}, 4.3);
      break;
    }
    case 3: {  // crab: an orange walker with claws
      cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
      for (int side : {-1, 1})
        for (int k = 0; k < 3; ++k) {
          const double y = 12 + 8 * k + (f ? (k % 2 ? 2 : -2) : 0) * side;
          cairo_move_to(cr, 21.5 + side * 10, y);
          cairo_line_to(cr, 21.5 + side * 18, y - 3);
          cairo_line_to(cr, 21.5 + side * 19.5, y + 4);
          SetColour(cr, kInk);
          cairo_set_line_width(cr, 3.4);
          cairo_stroke_preserve(cr);
          SetColour(cr, Hex(0xC86018));
          cairo_set_line_width(cr, 1.8);
          cairo_stroke(cr);
        }
      for (int side : {-1, 1}) {
        const double open = f ? 3 : 1;
        Polygon(cr,
                {21.5 + side * 5, 31, 21.5 + side * (9 + open), 39.5, 21.5 + side * 3, 37, 21.5 + side * 2, 33});
        Shade(cr, Hex(0xF08828));
      }
      cairo_save(cr);
      cairo_translate(cr, 21.5, 21);
      cairo_scale(cr, 1, 1.15);
      Circle(cr, 0, 0, 12);
      cairo_restore(cr);
      Shade(cr, Hex(0xF09030));
      Light(cr, 18, 31, 1.5, 0x40FF40);
      Light(cr, 25, 31, 1.5, 0x40FF40);
      Mounts(cr, {14.5, 21, 28.5, 21}, 4.3);
      break;
    }
    case 4: {  // orb: a blue sphere with four fins and one big gun
      for (int k = 0; k < 4; ++k) {
        const double a = M_PI / 4 + k * M_PI / 2 + (f ? 0.12 : 0);
        const double c = std::cos(a), s = std::sin(a);
        Polygon(cr, {20 + c * 10 - s * 5, 22 + s * 10 + c * 5, 20 + c * 20, 22 + s * 18.5, 20 + c * 10 + s * 5,
                     22 + s * 10 - c * 5});
        Shade(cr, Hex(0x70A8F0));
      }
      Circle(cr, 20, 22, 14);
      Shade(cr, Hex(0x3C84F0));
      Circle(cr, 20, 22, 9);
      SetColour(cr, Hex(0x1A2A60), 0.6);
      cairo_fill(cr);
      Light(cr, 20, 10.5, 2, f ? 0xFFFFFF : 0x80C0FF);
      Mounts(cr, {20, 23.5}, 7.5);
      break;
    }
    case 5: {  // bastion: a grey-teal armoured octagon
      Polygon(cr, {12, 2, 28, 2, 38, 12, 38, 30, 28, 39, 12, 39, 2, 30, 2, 12});
      Shade(cr, Hex(0x5A8C90));
      Polygon(cr, {14, 8, 26, 8, 32, 14, 32, 29, 26, 34, 14, 34, 8, 29, 8, 14});
      Shade(cr, Hex(0x3C6468));
      for (int k = 0; k < 4; ++k) {
        const double x = k < 2 ? 5 : 35, y = k % 2 ? 27 : 15;
        Light(cr, x, y, 1.6, ((k + f) % 2) ? 0xFFE040 : 0x604010);
      }
      Mounts(cr, {20, 23.5}, 7.5);
      break;
    }
    case 6: {  // interceptor: yellow forward-swept wings
      Exhaust(cr, 21.5, 5, 4.5, f);
      for (int side : {-1, 1})
        Polygon(cr, {21.5 + side * 5, 12, 21.5 + side * 20, 33, 21.5 + side * 17, 36, 21.5 + side * 5, 24});
      Shade(cr, Hex(0xE8C020));
      Polygon(cr, {21.5, 39, 16.5, 26, 16.5, 8, 21.5, 4, 26.5, 8, 26.5, 26});
      Shade(cr, Hex(0xF4E070));
      for (int side : {-1, 1}) Light(cr, 21.5 + side * 18, 33.5, 1.4, f ? 0xFF3030 : 0xFFFFFF);
      Polygon(cr, {21.5, 34, 19.5, 27, 23.5, 27});
      SetColour(cr, Hex(0x3060C0));
      cairo_fill(cr);
      Mounts(cr, {14.5, 20, 28.5, 20}, 4.3);
      break;
    }
    case 7: {  // beetle: a teal shell with fluttering wings
      for (int side : {-1, 1}) {
        cairo_save(cr);
        cairo_translate(cr, 21.5 + side * 9, 16);
        cairo_rotate(cr, side * (f ? 0.9 : 0.55));
        cairo_scale(cr, 0.45, 1);
        Circle(cr, 0, -9, 10);
        cairo_restore(cr);
        SetColour(cr, Hex(0xB8FFF0), 0.85);
        cairo_fill_preserve(cr);
        SetColour(cr, kInk);
        cairo_set_line_width(cr, 0.8);
        cairo_stroke(cr);
      }
      cairo_save(cr);
      cairo_translate(cr, 21.5, 22);
      cairo_scale(cr, 0.8, 1);
      Circle(cr, 0, 0, 16);
      cairo_restore(cr);
      Shade(cr, Hex(0x20A088));
      cairo_move_to(cr, 21.5, 8);
      cairo_line_to(cr, 21.5, 37);
      SetColour(cr, kInk);
      cairo_set_line_width(cr, 1.2);
      cairo_stroke(cr);
      Circle(cr, 21.5, 36, 4);
      Shade(cr, Hex(0x146050));
      Light(cr, 19.5, 37, 1.2, 0xFF2020);
      Light(cr, 23.5, 37, 1.2, 0xFF2020);
      Mounts(cr, {14.5, 21, 28.5, 21}, 4.3);
      break;
    }
    case 8: {  // cross: the cruciform core of a battleship
      Polygon(cr, {14, 1, 26, 1, 26, 14, 39, 14, 39, 28, 26, 28, 26, 39, 14, 39, 14, 28, 1, 28, 1, 14, 14, 14});
      Shade(cr, Hex(0xA02830));
      for (int k = 0; k < 4; ++k) {
        const double x[4] = {20, 20, 5, 35}, y[4] = {5, 35, 21, 21};
        Light(cr, x[k], y[k], 2, (k + f) % 2 ? 0xFF8040 : 0xFFF0A0);
      }
      Circle(cr, 20, 22, 10);
      Shade(cr, Hex(0x601018));
      Mounts(cr, {20, 23.5}, 7.5);
      break;
    }
    default: {  // eye: a magenta crystal core
      Polygon(cr, {20, 1, 37, 12, 37, 28, 20, 39, 3, 28, 3, 12});
      Shade(cr, Hex(0xB02890));
      Polygon(cr, {20, 7, 31, 14, 31, 26, 20, 33, 9, 26, 9, 14});
      Shade(cr, Hex(0xE060C8));
      Circle(cr, 20, 20, 7.5);
      SetColour(cr, Hex(0xFFF4FF));
      cairo_fill_preserve(cr);
      SetColour(cr, kInk);
      cairo_set_line_width(cr, 1);
      cairo_stroke(cr);
      Circle(cr, 20 + (f ? 1.5 : -1.5), 21, 4);
      SetColour(cr, f ? Hex(0xFF2040) : Hex(0x9010A0));
      cairo_fill(cr);
      Circle(cr, 20 + (f ? 1.5 : -1.5), 21, 1.8);
      SetColour(cr, kInk);
      cairo_fill(cr);
      Circle(cr, 18 + (f ? 1.5 : -1.5), 19, 1.1);
      SetColour(cr, Hex(0xFFFFFF));
      cairo_fill(cr);
      break;
    }
  }
}

// A turret head in a w x h cell, its barrel pointing in one of eight directions.
void DrawTurret(cairo_t* cr, double w, double h, int dir) {
  static const int kDirs[8][2] = {{1, 1}, {-1, 1}, {1, -1}, {-1, -1}, {0, 1}, {0, -1}, {1, 0}, {-1, 0}};
  const double cx = w / 2, cy = h / 2;
  const double dx = kDirs[dir][0], dy = kDirs[dir][1];
  const double r = h * 0.34;
  // The barrel runs from the centre to the cell's edge in its direction.
  cairo_move_to(cr, cx, cy);
  cairo_line_to(cr, cx + dx * (w / 2 - 0.6), cy + dy * (h / 2 - 0.6));
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_SQUARE);
  SetColour(cr, kInk);
  cairo_set_line_width(cr, h * 0.42);
  cairo_stroke_preserve(cr);
  SetColour(cr, Hex(0xFF6030));
  cairo_set_line_width(cr, h * 0.2);
  cairo_stroke(cr);
  Circle(cr, cx, cy, r);
  cairo_pattern_t* g = cairo_pattern_create_radial(cx - r * 0.4, cy - r * 0.4, 0, cx, cy, r);
  AddStop(g, 0, Hex(0xF0F4FF));
  AddStop(g, 1, Hex(0x707890));
  cairo_set_source(cr, g);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(g);
  SetColour(cr, kInk);
  cairo_set_line_width(cr, 0.7);
  cairo_stroke(cr);
}

// A round bullet: dark rim so it shows on bright ground, bright core for dark ground.
void RoundBullet(cairo_t* cr, double r, Rgb body, Rgb core) {
  Circle(cr, 10, 10, r + 1.3);
  SetColour(cr, Hex(0x200010));
  cairo_fill(cr);
  cairo_pattern_t* g = cairo_pattern_create_radial(10, 10, 0, 10, 10, r);
  AddStop(g, 0, Hex(0xFFFFFF));
  AddStop(g, 0.45, core);
  AddStop(g, 1, body);
  cairo_set_source(cr, g);
  Circle(cr, 10, 10, r);
  cairo_fill(cr);
  cairo_pattern_destroy(g);
}

}  // namespace

void DrawEnemySheets(std::vector<Sheet>& sheets) {
  Sheet& s8 = sheets[kEnemySheet];
  for (int k = 0; k < 10; ++k)
    for (int f = 0; f < 2; ++f)
      PutMasked(s8, 40 + 80 * k + 40 * f, 0, 40, 40, 40, [&](cairo_t* cr) { DrawEnemy(cr, k, f); });
  // The explosion glow at x 0 (light only; the cell below it stays black).
  PutLight(s8, 0, 0, 40, 40, [](cairo_t* cr) {
    cairo_pattern_t* g = cairo_pattern_create_radial(20, 20, 0, 20, 20, 19.5);
    AddStop(g, 0, Hex(0xFFFFF0));
    AddStop(g, 0.25, Hex(0xFFE070));
    AddStop(g, 0.55, Hex(0xFF7818));
    AddStop(g, 0.8, Hex(0x901808));
    AddStop(g, 1, Hex(0x000000));
    cairo_set_source(cr, g);
    cairo_paint(cr);
    cairo_pattern_destroy(g);
  });
  for (int y = 40; y < 80; ++y)
    for (int x = 0; x < 40; ++x) s8.Set(x, y, 0);

  for (int dir = 0; dir < 8; ++dir) {
    PutMasked(sheets[kSmallTurretSheet], 7 * dir, 0, 6, 7, 6, [&](cairo_t* cr) { DrawTurret(cr, 7, 6, dir); });
    PutMasked(sheets[kLargeTurretSheet], 12 * dir, 0, 9, 12, 9, [&](cairo_t* cr) { DrawTurret(cr, 12, 9, dir); });
  }

  Sheet& s7 = sheets[kSmallCellSheet];
  // Empty shield slot: a dark socket.
  PutMasked(s7, 0, 0, 20, 20, 20, [](cairo_t* cr) {
    Polygon(cr, {5, 1.5, 15, 1.5, 18.5, 10, 15, 18.5, 5, 18.5, 1.5, 10});
    FillOutline(cr, Hex(0x1C2430), Hex(0x8090A8), 1.4);
  });
  // Shield point: a green gem filling the socket; its left half stands alone.
  PutMasked(s7, 20, 0, 20, 20, 20, [](cairo_t* cr) {
    Polygon(cr, {5, 1.5, 15, 1.5, 18.5, 10, 15, 18.5, 5, 18.5, 1.5, 10});
    FillOutline(cr, Hex(0x28C060), Hex(0x0A2A14), 1.4);
    Polygon(cr, {6, 4, 14, 4, 16, 10, 4, 10});
    SetColour(cr, Hex(0xA8FFC0));
    cairo_fill(cr);
  });
  for (int f = 0; f < 2; ++f) {
    PutMasked(s7, 40 + 40 * f, 0, 20, 20, 20, [&](cairo_t* cr) {
      RoundBullet(cr, f ? 5.0 : 4.6, f ? Hex(0xFF2080) : Hex(0xFF40B0), f ? Hex(0xFFC0E0) : Hex(0xFF90D0));
    });
    PutMasked(s7, 60 + 40 * f, 0, 20, 20, 20, [&](cairo_t* cr) {
      RoundBullet(cr, f ? 7.8 : 7.2, f ? Hex(0xFF5010) : Hex(0xE02808), f ? Hex(0xFFE060) : Hex(0xFFB040));
    });
    PutMasked(s7, 120 + 20 * f, 0, 20, 20, 20, [&](cairo_t* cr) {
      for (int k = 0; k < 16; ++k) {
        const double a = k * M_PI / 8 + f * M_PI / 8, r = k % 2 ? 3.8 : 8.2;
        cairo_line_to(cr, 10 + std::cos(a) * r, 10 + std::sin(a) * r);
      }
      cairo_close_path(cr);
      FillOutline(cr, f ? Hex(0xFFF040) : Hex(0x60FF60), Hex(0x102000), 1.4);
      Circle(cr, 10, 10, 2.6);
      SetColour(cr, Hex(0xFFFFFF));
      cairo_fill(cr);
    });
  }
}
