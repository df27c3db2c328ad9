// Draws the nineteen sprite sheets and writes them as one blob for the
// executable to carry: for each sheet its u16 LE width and height, then
// width * height u32 LE 0x00RRGGBB pixels. Also writes the application icons
// into an "icons" folder beside the blob (192 and 512 px for the web page's
// manifest). The output is the same every run.
#include <sys/stat.h>

#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "art.h"

namespace {

bool WriteBlob(const std::vector<Sheet>& sheets, const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = true;
  for (const Sheet& s : sheets) {
    const unsigned char hdr[4] = {uint8_t(s.w), uint8_t(s.w >> 8), uint8_t(s.h), uint8_t(s.h >> 8)};
    ok = ok && std::fwrite(hdr, 1, 4, f) == 4;
    std::vector<unsigned char> bytes(s.px.size() * 4);
    for (size_t i = 0; i < s.px.size(); ++i) {
      bytes[i * 4] = uint8_t(s.px[i]);
      bytes[i * 4 + 1] = uint8_t(s.px[i] >> 8);
      bytes[i * 4 + 2] = uint8_t(s.px[i] >> 16);
      bytes[i * 4 + 3] = 0;
    }
    ok = ok && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  }
  return std::fclose(f) == 0 && ok;
}

// The desktop icon: the ship on a night-blue rounded square.
bool WriteIcon(int size, const std::string& path) {
  cairo_surface_t* surf = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
  cairo_t* cr = cairo_create(surf);
  cairo_scale(cr, size / 64.0, size / 64.0);
  const double r = 12;
  cairo_new_sub_path(cr);
  cairo_arc(cr, 64 - r - 1, r + 1, r, -M_PI / 2, 0);
  cairo_arc(cr, 64 - r - 1, 64 - r - 1, r, 0, M_PI / 2);
  cairo_arc(cr, r + 1, 64 - r - 1, r, M_PI / 2, M_PI);
  cairo_arc(cr, r + 1, r + 1, r, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
  cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 0, 64);
  AddStop(g, 0, Hex(0x1A2A6A));
  AddStop(g, 1, Hex(0x04060E));
  cairo_set_source(cr, g);
  cairo_fill(cr);
  cairo_pattern_destroy(g);
  for (int k = 0; k < 14; ++k) {  // a few stars
    const double x = 6 + Hash01(k, 1, 7) * 52, y = 6 + Hash01(k, 2, 7) * 52;
    SetColour(cr, Hex(0xFFFFFF), 0.35 + 0.5 * Hash01(k, 3, 7));
    cairo_arc(cr, x, y, 0.5 + 0.5 * Hash01(k, 4, 7), 0, 2 * M_PI);
    cairo_fill(cr);
  }
  Glow(cr, 32, 54, 12, Hex(0xFFB040), Hex(0x401000), 0.6);
  cairo_translate(cr, 32 - 22.5 * 0.86, 3);
  cairo_scale(cr, 0.86, 0.86);
  DrawShip(cr, 0, 1, 0.6);
  cairo_destroy(cr);
  const bool ok = cairo_surface_write_to_png(surf, path.c_str()) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(surf);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: gen-sheets OUTPUT.bin\n");
    return 2;
  }
  std::vector<Sheet> sheets(kSheetCount);
  for (int i = 0; i < kSheetCount; ++i) {
    sheets[i].w = kSheets[i].width;
    sheets[i].h = kSheets[i].height;
    sheets[i].px.assign(size_t(kSheets[i].width) * kSheets[i].height, 0);
  }
  DrawShipSheets(sheets);
  DrawEnemySheets(sheets);
  DrawItemSheets(sheets);
  DrawScreenSheets(sheets);
  DrawTileSheet(sheets);
  const std::string out = argv[1];
  if (!WriteBlob(sheets, out)) {
    std::fprintf(stderr, "gen-sheets: cannot write %s\n", out.c_str());
    return 1;
  }
  const size_t slash = out.find_last_of('/');
  const std::string dir = (slash == std::string::npos ? std::string(".") : out.substr(0, slash)) + "/icons";
  mkdir(dir.c_str(), 0755);
  for (int size : {64, 128, 192, 256, 512})
    if (!WriteIcon(size, dir + "/tessivane-" + std::to_string(size) + ".png")) {
      std::fprintf(stderr, "gen-sheets: cannot write the %d px icon\n", size);
      return 1;
    }
  return 0;
}
