// art-preview SHEETS.bin Qapo.map OUTDIR
// Writes OUTDIR/contact.png (every sheet on a grey ground, masks included),
// OUTDIR/sheet-<i>.png (each sheet alone), OUTDIR/scenes.png (made-up moments of play),
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

// Masked draw as the game does it: AND the mask, OR the sprite; scaled by an
// integer factor for the bosses.
void Masked(Pic& dst, const Pic& src, int sx, int spriteY, int maskY, int w, int h, int dx, int dy, int k = 1) {
  for (int y = 0; y < h * k; ++y)
    for (int x = 0; x < w * k; ++x) {
      const int tx = dx + x, ty = dy + y;
      if (tx < 0 || ty < 0 || tx >= dst.w || ty >= dst.h) continue;
      uint32_t& d = dst.px[size_t(ty) * dst.w + tx];
      const int fx = sx + x / k, fy = y / k;
      if (maskY + fy < src.h) d &= src.px[size_t(maskY + fy) * src.w + fx];
      if (spriteY + fy < src.h) d |= src.px[size_t(spriteY + fy) * src.w + fx];
    }
}

void Or(Pic& dst, const Pic& src, int sx, int sy, int w, int h, int dx, int dy) {
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int tx = dx + x, ty = dy + y;
      if (tx >= 0 && ty >= 0 && tx < dst.w && ty < dst.h)
        dst.px[size_t(ty) * dst.w + tx] |= src.px[size_t(sy + y) * src.w + sx + x];
    }
}

// A made-up moment of play over the background at rows top..top+459.
Pic Scene(const std::vector<Pic>& sh, const Pic& back, int top, int seed) {
  Pic p;
  p.w = 332;
  p.h = 478;
  p.px.assign(size_t(p.w) * p.h, 0);
  for (int y = 0; y < 460; ++y)
    for (int x = 0; x < 330; ++x) p.px[size_t(y) * p.w + x] = back.px[size_t(top + y) * back.w + x];
  const int k0 = seed % 10, k1 = (seed + 3) % 10;
  Masked(p, sh[8], 40 + 80 * k0, 0, 40, 40, 40, 40, 60);
  Masked(p, sh[8], 80 + 80 * k0, 0, 40, 40, 40, 100, 40);
  Masked(p, sh[8], 40 + 80 * k1, 0, 40, 40, 40, 230, 90);
  Masked(p, sh[14], 0, 0, 6, 7, 6, 51, 77);
  Masked(p, sh[14], 7, 0, 6, 7, 6, 65, 77);
  Masked(p, sh[8], 40 + 80 * ((seed + 6) % 10), 0, 40, 40, 40, 170, 150);
  Or(p, sh[8], 0, 0, 40, 40, 280, 160);
  Masked(p, sh[17], 40 * (seed % 8), 80 * (seed % 2), 40, 40, 40, 60, 220);
  Masked(p, sh[13], 32 * (seed % 8), 0, 32, 32, 32, 250, 250);
  for (int i = 0; i < 7; ++i) {
    const int kind = i % 3;
    const int sx = kind == 0 ? 40 : (kind == 1 ? 60 : 120);
    Masked(p, sh[7], sx, 0, 20, 20, 20, 70 + 30 * i, 150 + 17 * i + (i % 2) * 12);
  }
  Masked(p, sh[16], 0, 0, 18, 17, 18, 148 + 13, 270);
  Masked(p, sh[16], 17, 0, 18, 17, 18, 148 + 13, 230);
  Masked(p, sh[2], 0, 0, 28, 18, 28, 100, 120, 4);
  Masked(p, sh[0], 45 * (seed % 6), 0, 65, 45, 65, 148, 330);
  Masked(p, sh[1], 20, 0, 15, 20, 15, 156, 305);
  // Status display at rest.
  Masked(p, sh[3], 0, 0, 19, 102, 19, 94, 432);
  Masked(p, sh[3], 205 - 60, 0, 19, 96, 13, 97, 435);
  Masked(p, sh[17], 0, 0, 40, 40, 40, 285, 415);
  Masked(p, sh[17], 0, 0, 40, 40, 40, 245, 415);
  for (int i = 0; i < 3; ++i) Masked(p, sh[7], 0, 0, 20, 20, 20, 10 + 25 * i, 431);
  Masked(p, sh[7], 20, 0, 20, 20, 20, 10, 431);
  Masked(p, sh[7], 20, 0, 20, 10, 20, 35, 431);
  return p;
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
  for (int i = 0; i < 19; ++i) ok = WritePng(sheets[i], out + "/sheet-" + std::to_string(i) + ".png") && ok;

  // Stage backgrounds exactly as the back buffer holds them.
  const Pic& tiles = sheets[9];
  std::vector<Pic> backs;
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
    backs.push_back(back);
    Paste(all, back, 120 * s + 4, 0, 3);
  }
  ok = WritePng(all, out + "/stages.png") && ok;

  // Four moments of play side by side, with the boss of stage 3 among them.
  Pic scenes;
  scenes.w = 5 * 340;
  scenes.h = 478;
  scenes.px.assign(size_t(scenes.w) * scenes.h, 0x808080);
  const int stages[4] = {1, 3, 5, 8}, tops[4] = {2000, 1300, 900, 600};
  for (int i = 0; i < 4; ++i) {
    Pic sc = Scene(sheets, backs[stages[i]], tops[i], 3 * i + 1);
    if (i == 1) Masked(sc, sheets[8], 40 + 80 * 2, 0, 40, 40, 40, 65, -30, 5);
    Paste(scenes, sc, 340 * i, 0);
  }
  // The title menu over its looping background.
  Pic title;
  title.w = 332;
  title.h = 478;
  title.px.assign(size_t(title.w) * title.h, 0);
  for (int y = 0; y < 460; ++y)
    for (int x = 0; x < 330; ++x) title.px[size_t(y) * title.w + x] = backs[0].px[size_t(1700 + y) * 332 + x];
  Or(title, sheets[10], 0, 0, 264, 44, 33, 70);
  Masked(title, sheets[17], 40, 0, 40, 40, 40, 80, 290);
  for (int i = 0; i < 3; ++i) Masked(title, sheets[18], 40 * i, 0, 40, 40, 40, 95 + 50 * i, 20);
  Paste(scenes, title, 4 * 340, 0);
  ok = WritePng(scenes, out + "/scenes.png") && ok;
  return ok ? 0 : 1;
}
