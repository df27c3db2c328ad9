// The fast drawing helpers against a plain pixel-by-pixel model of the same
// rules, over many random transfers: clipping at every edge, sources partly
// off their sheet, enlarged, reduced and mirrored stretches.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <vector>

#include "platform/blit.h"

namespace {

struct Pic {
  std::vector<uint32_t> px;
  Surface s;
  Pic(int w, int h) : px(size_t(w) * h) { s = Surface{w, h, px.data()}; }
};

// Destination index i of an axis of n = |dSize| pixels reads source index
// floor(i * sSize / n), counted from the far end when dSize is negative.
void ModelStretch(const Surface& src, int sx, int sy, int sw, int sh, Surface& dest, int dx, int dy, int dw,
                  int dh, int op /* 0 and, 1 or */) {
  if (dw == 0 || dh == 0 || sw <= 0 || sh <= 0) return;
  const int nw = std::abs(dw), nh = std::abs(dh);
  const int x0 = dw > 0 ? dx : dx + dw, y0 = dh > 0 ? dy : dy + dh;
  for (int j = 0; j < nh; ++j) {
    const int sj = int(int64_t(j) * sh / nh);
    const int srow = sy + (dh < 0 ? sh - 1 - sj : sj), drow = y0 + j;
    if (srow < 0 || srow >= src.height || drow < 0 || drow >= dest.height) continue;
    for (int i = 0; i < nw; ++i) {
      const int si = int(int64_t(i) * sw / nw);
      const int scol = sx + (dw < 0 ? sw - 1 - si : si), dcol = x0 + i;
      if (scol < 0 || scol >= src.width || dcol < 0 || dcol >= dest.width) continue;
      uint32_t& d = dest.pixels[drow * dest.width + dcol];
      const uint32_t v = src.pixels[srow * src.width + scol];
      d = op == 0 ? (d & v) : (d | v);
    }
  }
}

TEST(BlitModel, RandomTransfersMatchThePixelModel) {
  std::mt19937 rng(12345);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  Pic sheet(90, 70);
  for (uint32_t& p : sheet.px) p = rng() & 0xFFFFFF;
  for (int iter = 0; iter < 3000; ++iter) {
    Pic fast(64, 48), model(64, 48);
    for (size_t k = 0; k < fast.px.size(); ++k) fast.px[k] = model.px[k] = rng() & 0xFFFFFF;
    const int kind = iter % 4;
    const int sx = pick(-20, 95), sy = pick(-20, 75), maskY = pick(-20, 75);
    const int dx = pick(-60, 70), dy = pick(-50, 55);
    if (kind == 0) {
      const int w = pick(0, 70), h = pick(0, 50);
      DrawMasked(sheet.s, sx, sy, maskY, w, h, fast.s, dx, dy);
      ModelStretch(sheet.s, sx, maskY, w, h, model.s, dx, dy, w, h, 0);
      ModelStretch(sheet.s, sx, sy, w, h, model.s, dx, dy, w, h, 1);
    } else if (kind == 1) {
      const int w = pick(0, 70), h = pick(0, 50);
      BlitOr(sheet.s, sx, sy, w, h, fast.s, dx, dy);
      ModelStretch(sheet.s, sx, sy, w, h, model.s, dx, dy, w, h, 1);
    } else {
      const int sw = pick(1, 60), sh = pick(1, 50);
      const int dw = pick(-140, 140), dh = pick(-100, 100);
      if (kind == 2) {
        StretchOr(sheet.s, sx, sy, dw, dh, fast.s, dx, dy, sw, sh);
      } else {
        StretchMasked(sheet.s, sx, sy, maskY, dw, dh, fast.s, dx, dy, sw, sh);
        ModelStretch(sheet.s, sx, maskY, sw, sh, model.s, dx, dy, dw, dh, 0);
      }
      ModelStretch(sheet.s, sx, sy, sw, sh, model.s, dx, dy, dw, dh, 1);
    }
    ASSERT_EQ(fast.px, model.px) << "case " << iter << " kind " << kind;
  }
}

}  // namespace
