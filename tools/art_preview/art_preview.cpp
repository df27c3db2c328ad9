// art-preview SHEETS.bin Qapo.map OUTDIR
// Writes OUTDIR/contact.png (every sheet on a grey ground, masks included),
// OUTDIR/stage-<s>.png (background s as the game builds it, 332 x 3000) and
// OUTDIR/stages.png (all nine backgrounds side by side at a third of their size).
#include <cairo.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Pic {
  int w = 0, h = 0;
  std::vector<uint32_t> px;
};

bool ReadSheets(const char* path, std::vector<Pic>& out) {
  std::FILE* f = std::fopen(path, "rb");
  if (!f) return false;
  for (int i = 0; i < 19; ++i) {
    unsigned char hdr[4];
    if (std::fread(hdr, 1, 4, f) != 4) break;
    Pic p;
    p.w = hdr[0] | hdr[1] << 8;
    p.h = hdr[2] | hdr[3] << 8;
    std::vector<unsigned char> b(size_t(p.w) * p.h * 4);
    if (std::fread(b.data(), 1, b.size(), f) != b.size()) break;
    p.px.resize(size_t(p.w) * p.h);
    for (size_t k = 0; k < p.px.size(); ++k) p.px[k] = b[4 * k] | b[4 * k + 1] << 8 | b[4 * k + 2] << 16;
    out.push_back(std::move(p));
  }
  std::fclose(f);
  return out.size() == 19;
}

bool WritePng(const Pic& p, const std::string& path) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, p.w, p.h);
  unsigned char* data = cairo_image_surface_get_data(s);
  const int stride = cairo_image_surface_get_stride(s);
  for (int y = 0; y < p.h; ++y)
    for (int x = 0; x < p.w; ++x)
      reinterpret_cast<uint32_t*>(data + size_t(y) * stride)[x] = p.px[size_t(y) * p.w + x];
  cairo_surface_mark_dirty(s);
  const bool ok = cairo_surface_write_to_png(s, path.c_str()) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(s);
  return ok;
}

void Paste(Pic& dst, const Pic& src, int dx, int dy, int step = 1) {
  for (int y = 0; y * step < src.h; ++y)
    for (int x = 0; x * step < src.w; ++x) {
      const int tx = dx + x, ty = dy + y;
      if (tx >= 0 && ty >= 0 && tx < dst.w && ty < dst.h)
        dst.px[size_t(ty) * dst.w + tx] = src.px[size_t(y * step) * src.w + x * step];
    }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: art-preview SHEETS.bin Qapo.map OUTDIR\n");
    return 2;
  }
  std::vector<Pic> sheets;
  if (!ReadSheets(argv[1], sheets)) {
    std::fprintf(stderr, "art-preview: cannot read %s\n", argv[1]);
    return 1;
  }
  std::vector<unsigned char> map(13122);
  std::FILE* f = std::fopen(argv[2], "rb");
  if (!f || std::fread(map.data(), 1, map.size(), f) != map.size()) {
    std::fprintf(stderr, "art-preview: cannot read %s\n", argv[2]);
    return 1;
  }
  std::fclose(f);
  const std::string out = argv[3];

  // Contact sheet: shelves of sheets left to right; sheet 12 at half size.
  Pic contact;
  contact.w = 1240;
  int places[19][2];
  int x = 10, y = 10, shelf = 0;
  for (int i = 0; i < 19; ++i) {
    const int step = i == 12 ? 2 : 1;
    const int w = sheets[i].w / step, h = sheets[i].h / step;
    if (x + w + 10 > contact.w) {
      x = 10;
      y += shelf + 10;
      shelf = 0;
    }
    places[i][0] = x;
    places[i][1] = y;
    x += w + 10;
    if (h > shelf) shelf = h;
  }
  contact.h = y + shelf + 10;
  contact.px.assign(size_t(contact.w) * contact.h, 0x808080);
  for (int i = 0; i < 19; ++i) Paste(contact, sheets[i], places[i][0], places[i][1], i == 12 ? 2 : 1);
  bool ok = WritePng(contact, out + "/contact.png");

  // Stage backgrounds exactly as the back buffer holds them.
  const Pic& tiles = sheets[9];
  Pic all;
  all.w = 9 * 120;
  all.h = 1000;
  all.px.assign(size_t(all.w) * all.h, 0x808080);
  for (int s = 0; s < 9; ++s) {
    Pic back;
    back.w = 332;
    back.h = 3000;
    back.px.assign(size_t(back.w) * back.h, 0);
    for (int r = 0; r < 81; ++r)
      for (int c = 0; c < 9; ++c) {
        const int col = map[s + 9 * (2 * c + 18 * r)], row = map[s + 9 * (2 * c + 1 + 18 * r)];
        for (int ty = 0; ty < 40; ++ty)
          for (int tx = 0; tx < 40; ++tx) {
            const int bx = 40 * c + tx, by = 40 * r + ty;
            if (bx < back.w && by < back.h && col < 9 && row < 16)
              back.px[size_t(by) * back.w + bx] = tiles.px[size_t(40 * row + ty) * tiles.w + 40 * col + tx];
          }
      }
    ok = WritePng(back, out + "/stage-" + std::to_string(s) + ".png") && ok;
    Paste(all, back, 120 * s + 4, 0, 3);
  }
  ok = WritePng(all, out + "/stages.png") && ok;
  return ok ? 0 : 1;
}
