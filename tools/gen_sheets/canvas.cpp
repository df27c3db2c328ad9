#include <cmath>

#include "art.h"

namespace {

// Renders a painter into a fresh transparent ARGB surface of w x h.
cairo_surface_t* Render(int w, int h, const Painter& paint) {
  cairo_surface_t* surf = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  cairo_t* cr = cairo_create(surf);
  paint(cr);
  cairo_destroy(cr);
  cairo_surface_flush(surf);
  return surf;
}

uint32_t PixelAt(cairo_surface_t* surf, int x, int y) {
  const unsigned char* data = cairo_image_surface_get_data(surf);
  const int stride = cairo_image_surface_get_stride(surf);
  return reinterpret_cast<const uint32_t*>(data + size_t(y) * stride)[x];
}

}  // namespace

void PutMasked(Sheet& s, int x, int spriteY, int maskY, int w, int h, const Painter& paint) {
  cairo_surface_t* surf = Render(w, h, paint);
  for (int y = 0; y < h; ++y)
    for (int i = 0; i < w; ++i) {
      const uint32_t v = PixelAt(surf, i, y);
      const bool opaque = (v >> 24) >= 128;
      s.Set(x + i, spriteY + y, opaque ? (v & 0xFFFFFFu) : 0u);
      s.Set(x + i, maskY + y, opaque ? 0u : 0xFFFFFFu);
    }
  cairo_surface_destroy(surf);
}

void PutLight(Sheet& s, int x, int y0, int w, int h, const Painter& paint) {
  cairo_surface_t* surf = Render(w, h, [&](cairo_t* cr) {
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    paint(cr);
  });
  for (int y = 0; y < h; ++y)
    for (int i = 0; i < w; ++i) s.Set(x + i, y0 + y, PixelAt(surf, i, y) & 0xFFFFFFu);
  cairo_surface_destroy(surf);
}

Rgb Hex(uint32_t rgb) { return {((rgb >> 16) & 255) / 255.0, ((rgb >> 8) & 255) / 255.0, (rgb & 255) / 255.0}; }
Rgb Mix(Rgb a, Rgb b, double t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }
Rgb Scale(Rgb a, double k) {
  auto c = [](double v) { return v < 0 ? 0 : (v > 1 ? 1 : v); };
  return {c(a.r * k), c(a.g * k), c(a.b * k)};
}
void SetColour(cairo_t* cr, Rgb c, double alpha) { cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha); }
void AddStop(cairo_pattern_t* p, double at, Rgb c, double alpha) {
  cairo_pattern_add_color_stop_rgba(p, at, c.r, c.g, c.b, alpha);
}

void Polygon(cairo_t* cr, std::initializer_list<double> xy) {
  const double* p = xy.begin();
  cairo_move_to(cr, p[0], p[1]);
  for (size_t i = 2; i + 1 < xy.size(); i += 2) cairo_line_to(cr, p[i], p[i + 1]);
  cairo_close_path(cr);
}

void FillOutline(cairo_t* cr, Rgb fill, Rgb line, double lw) {
  SetColour(cr, fill);
  cairo_fill_preserve(cr);
  SetColour(cr, line);
  cairo_set_line_width(cr, lw);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_stroke(cr);
}

void Glow(cairo_t* cr, double x, double y, double r, Rgb centre, Rgb rim, double alpha) {
  cairo_pattern_t* p = cairo_pattern_create_radial(x, y, 0, x, y, r);
  AddStop(p, 0, centre, alpha);
  AddStop(p, 0.35, Mix(centre, rim, 0.5), alpha * 0.8);
  AddStop(p, 1, rim, 0);
  cairo_set_source(cr, p);
  cairo_arc(cr, x, y, r, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
}

double Hash01(int x, int y, int seed) {
  uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + uint32_t(seed) * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  h ^= h >> 16;
  return (h & 0xFFFFFFu) / double(0x1000000);
}

double PeriodicNoise(double x, double y, int period, int cells, int seed) {
  // Value noise on a cells x cells lattice that wraps every `period` pixels.
  const double fx = x * cells / period, fy = y * cells / period;
  const int ix = int(std::floor(fx)), iy = int(std::floor(fy));
  const double tx = fx - ix, ty = fy - iy;
  auto lat = [&](int i, int j) {
    return Hash01(((i % cells) + cells) % cells, ((j % cells) + cells) % cells, seed);
  };
  auto smooth = [](double t) { return t * t * (3 - 2 * t); };
  const double sx = smooth(tx), sy = smooth(ty);
  const double a = lat(ix, iy) + (lat(ix + 1, iy) - lat(ix, iy)) * sx;
  const double b = lat(ix, iy + 1) + (lat(ix + 1, iy + 1) - lat(ix, iy + 1)) * sx;
  return a + (b - a) * sy;
}

double Fbm(double x, double y, int period, int seed) {
  return 0.5 * PeriodicNoise(x, y, period, 4, seed) + 0.3 * PeriodicNoise(x, y, period, 8, seed + 1) +
         0.2 * PeriodicNoise(x, y, period, 20, seed + 2);
}
