#include "platform/blit.h"

#include <algorithm>
#include <cmath>
#include <cstring>

// The per-pixel loops below are plain loops left to the compiler's
// vectoriser, run here at full strength; each transfer also gets an AVX2
// version that is picked when the program loads, while any other x86-64
// machine runs the SSE2 one.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC optimize("O3")
#endif
#if defined(__x86_64__) && defined(__has_attribute)
#if __has_attribute(target_clones)
#define WITH_AVX2_VERSION __attribute__((target_clones("avx2", "default")))
#endif
#endif
#ifndef WITH_AVX2_VERSION
#define WITH_AVX2_VERSION
#endif

namespace {

enum class RasterOp { Copy, And, Or };

// A rectangle transfer already rounded to whole pixels.
struct Transfer {
  int srcX, srcY, w, h, dx, dy;
};

// One row of a transfer: n destination pixels combined with n source pixels.
inline void CombineRow(RasterOp op, uint32_t* d, const uint32_t* s, int n) {
  switch (op) {
    case RasterOp::Copy:
      std::memmove(d, s, size_t(n) * sizeof(uint32_t));
      break;
    case RasterOp::And:
      for (int i = 0; i < n; ++i) d[i] &= s[i];
      break;
    case RasterOp::Or:
      for (int i = 0; i < n; ++i) d[i] |= s[i];
      break;
  }
}

// The part of a transfer that is written: destination pixels on `dest`
// whose source pixel lies on `src`.
struct Clip {
  int64_t x0, x1, y0, y1;
  bool Empty() const { return x0 >= x1 || y0 >= y1; }
  bool operator==(const Clip& o) const { return x0 == o.x0 && x1 == o.x1 && y0 == o.y0 && y1 == o.y1; }
};

Clip ClipTransfer(const Surface& src, const Surface& dest, const Transfer& t) {
  Clip c;
  c.x0 = std::max<int64_t>({t.dx, 0, int64_t(t.dx) - t.srcX});
  c.x1 = std::min<int64_t>({int64_t(t.dx) + t.w, dest.width, int64_t(t.dx) + src.width - t.srcX});
  c.y0 = std::max<int64_t>({t.dy, 0, int64_t(t.dy) - t.srcY});
  c.y1 = std::min<int64_t>({int64_t(t.dy) + t.h, dest.height, int64_t(t.dy) + src.height - t.srcY});
  return c;
}

// Clips the transfer to both surfaces and runs it: a destination pixel is
// written only when it lies on `dest` and its source pixel lies on `src`.
WITH_AVX2_VERSION void RunTransfer(RasterOp op, const Surface& src, Surface& dest, Transfer t) {
  if (t.w <= 0 || t.h <= 0 || !src.pixels || !dest.pixels) return;
  const Clip c = ClipTransfer(src, dest, t);
  if (c.Empty()) return;
  const int n = int(c.x1 - c.x0);
  const int64_t sx = c.x0 - t.dx + t.srcX;
  for (int64_t y = c.y0; y < c.y1; ++y) {
    const int64_t sy = y - t.dy + t.srcY;
    CombineRow(op, dest.pixels + y * dest.width + c.x0, src.pixels + sy * src.width + sx, n);
  }
}

// The mask pass and the sprite pass; fused into one when both cover the same
// pixels (the mask and sprite rows both lie on the sheet), as they nearly
// always do.
WITH_AVX2_VERSION void RunMasked(const Surface& src, Surface& dest, const Transfer& mask,
                                 const Transfer& sprite) {
  if (mask.w <= 0 || mask.h <= 0 || !src.pixels || !dest.pixels) return;
  const Clip cm = ClipTransfer(src, dest, mask), cs = ClipTransfer(src, dest, sprite);
  if (!(cm == cs)) {
    RunTransfer(RasterOp::And, src, dest, mask);
    RunTransfer(RasterOp::Or, src, dest, sprite);
    return;
  }
  if (cm.Empty()) return;
  const int n = int(cm.x1 - cm.x0);
  const int64_t sx = cm.x0 - mask.dx + mask.srcX;
  for (int64_t y = cm.y0; y < cm.y1; ++y) {
    uint32_t* d = dest.pixels + y * dest.width + cm.x0;
    const uint32_t* m = src.pixels + (y - mask.dy + mask.srcY) * src.width + sx;
    const uint32_t* s = src.pixels + (y - sprite.dy + sprite.srcY) * src.width + sx;
    for (int i = 0; i < n; ++i) d[i] = (d[i] & m[i]) | s[i];
  }
}

// Nearest-neighbour mapping of one axis of a stretched transfer. Destination
// index i (0..|dSize|-1) takes source index floor(i * sSize / |dSize|), read
// backwards when the destination size is negative (a mirror image).
struct AxisMap {
  int destStart = 0;  // first destination pixel written
  int count = 0;      // how many
  int64_t first = 0;  // index i of destStart
  int64_t num = 0;    // source step numerator per destination pixel
  int64_t den = 1;
  bool mirrored = false;
  int64_t srcSize = 0;
  int64_t srcOrigin = 0;
};

// ceil(a / b) for a >= 0, b > 0.
int64_t CeilDiv(int64_t a, int64_t b) { return (a + b - 1) / b; }

// Works out which destination pixels of one axis are written: those on the
// destination surface whose source pixel lies on the source surface.
bool MapAxis(int dPos, int dSize, int sPos, int sSize, int destLimit, int srcLimit, AxisMap* m) {
  if (dSize == 0 || sSize <= 0) return false;
  const int64_t n = std::abs(int64_t(dSize));
  const int64_t start = dSize > 0 ? dPos : int64_t(dPos) + dSize;
  m->mirrored = dSize < 0;
  m->num = sSize;
  m->den = n;
  m->srcSize = sSize;
  m->srcOrigin = sPos;
  // Destination clipping.
  int64_t lo = std::max<int64_t>(0, -start);
  int64_t hi = std::min<int64_t>(n, int64_t(destLimit) - start);
  // Source clipping: the offsets o = 0..sSize-1 with 0 <= sPos + o < srcLimit
  // are [a, b); o is si, or sSize - 1 - si mirrored, for si = floor(i * sSize / n).
  int64_t a = std::max<int64_t>(0, -int64_t(sPos));
  int64_t b = std::min<int64_t>(sSize, int64_t(srcLimit) - sPos);
  if (a >= b) return false;
  if (m->mirrored) {
    const int64_t mirroredA = sSize - b;
    b = sSize - a;
    a = mirroredA;
  }
  // a <= floor(i * sSize / n) < b  <=>  ceil(a * n / sSize) <= i < ceil(b * n / sSize).
  lo = std::max(lo, CeilDiv(a * n, sSize));
  hi = std::min(hi, CeilDiv(b * n, sSize));
  if (lo >= hi) return false;
  m->first = lo;
  m->count = int(hi - lo);
  m->destStart = int(start + lo);
  return true;
}

// Source indexes of consecutive destination pixels of one axis, stepped
// without a division per pixel.
struct AxisWalk {
  const AxisMap& m;
  int64_t q, rem, stepQ, stepRem;
  explicit AxisWalk(const AxisMap& map)
      : m(map),
        q(map.first * map.num / map.den),
        rem(map.first * map.num % map.den),
        stepQ(map.num / map.den),
        stepRem(map.num % map.den) {}
  int Source() const { return int(m.srcOrigin + (m.mirrored ? m.srcSize - 1 - q : q)); }
  void Next() {
    q += stepQ;
    rem += stepRem;
    if (rem >= m.den) {
      rem -= m.den;
      ++q;
    }
  }
};

// A stretch call's column map, worked out once per call as runs:
// destination columns [start, start + length) all take source column
// `source`. Each source row a call reads is expanded once into gRow, which
// then serves every destination row that reads that source row.
struct ColumnRun {
  int source, start, length;
};
constexpr int kMaxStretchColumns = 8192;
constexpr int kFillWidth = 8;  // pixels written at once when expanding a row
ColumnRun gRuns[kMaxStretchColumns];
int gColumnSource[kMaxStretchColumns];
uint32_t gRow[kMaxStretchColumns + kFillWidth];

int BuildRuns(const AxisMap& mx, int cols) {
  int runs = 0;
  AxisWalk walk(mx);
  for (int k = 0; k < cols; ++k, walk.Next()) {
    const int source = walk.Source();
    gColumnSource[k] = source;
    if (runs > 0 && gRuns[runs - 1].source == source) {
      ++gRuns[runs - 1].length;
    } else {
      gRuns[runs++] = {source, k, 1};
    }
  }
  return runs;
}

// Fills gRow from one source row. Runs are filled in order with whole
// kFillWidth-pixel stores that may reach past a run's end; the next run
// overwrites the excess, and gRow has room for the last run's.
inline void GatherRow(uint32_t* __restrict out, const uint32_t* __restrict s, const int* __restrict columns,
                      int cols) {
  for (int k = 0; k < cols; ++k) out[k] = s[columns[k]];
}

inline void ExpandRow(const uint32_t* s, int runs, int cols) {
  if (runs * 4 > cols) {
    GatherRow(gRow, s, gColumnSource, cols);
    return;
  }
  for (int r = 0; r < runs; ++r) {
    const ColumnRun run = gRuns[r];
    const uint32_t v = s[run.source];
    uint32_t* o = gRow + run.start;
    for (int j = 0; j < run.length; j += kFillWidth) {
      for (int k = 0; k < kFillWidth; ++k) o[j + k] = v;
    }
  }
}

WITH_AVX2_VERSION void RunStretch(RasterOp op, const Surface& src, Surface& dest, int srcX, int srcY, int sw,
                                  int sh, int dx, int dy, int dw, int dh) {
  if (!src.pixels || !dest.pixels) return;
  AxisMap mx, my;
  if (!MapAxis(dx, dw, srcX, sw, dest.width, src.width, &mx)) return;
  if (!MapAxis(dy, dh, srcY, sh, dest.height, src.height, &my)) return;
  const int cols = std::min(mx.count, kMaxStretchColumns);
  const int runs = BuildRuns(mx, cols);
  int expandedRow = -1;
  AxisWalk rows(my);
  for (int r = 0; r < my.count; ++r, rows.Next()) {
    const int sourceRow = rows.Source();
    if (sourceRow != expandedRow) {
      ExpandRow(src.pixels + int64_t(sourceRow) * src.width, runs, cols);
      expandedRow = sourceRow;
    }
    CombineRow(op, dest.pixels + int64_t(my.destStart + r) * dest.width + mx.destStart, gRow, cols);
  }
}

}  // namespace

int32_t RoundHalfEven(double v) {
  if (!(v == v)) return 0;  // NaN draws at 0 rather than invoking undefined behaviour
  v = std::clamp(v, -1.0e9, 1.0e9);
  return int32_t(std::nearbyint(v));
}

void DrawMasked(const Surface& src, double srcX, double spriteY, double maskY, double w, double h,
                Surface& dest, double dx, double dy) {
  const int sx = RoundHalfEven(srcX), iw = RoundHalfEven(w), ih = RoundHalfEven(h);
  const int x = RoundHalfEven(dx), y = RoundHalfEven(dy);
  RunMasked(src, dest, {sx, RoundHalfEven(maskY), iw, ih, x, y}, {sx, RoundHalfEven(spriteY), iw, ih, x, y});
}

void BlitOr(const Surface& src, double srcX, double srcY, double w, double h, Surface& dest, double dx,
            double dy) {
  RunTransfer(RasterOp::Or, src, dest,
                            {RoundHalfEven(srcX), RoundHalfEven(srcY), RoundHalfEven(w), RoundHalfEven(h),
                             RoundHalfEven(dx), RoundHalfEven(dy)});
}

void BlitCopy(const Surface& src, double srcX, double srcY, double w, double h, Surface& dest, double dx,
              double dy) {
  RunTransfer(RasterOp::Copy, src, dest,
                              {RoundHalfEven(srcX), RoundHalfEven(srcY), RoundHalfEven(w), RoundHalfEven(h),
                               RoundHalfEven(dx), RoundHalfEven(dy)});
}

void StretchMasked(const Surface& src, double srcX, double spriteY, double maskY, double dw, double dh,
                   Surface& dest, double dx, double dy, double sw, double sh) {
  const int sx = RoundHalfEven(srcX), isw = RoundHalfEven(sw), ish = RoundHalfEven(sh);
  const int x = RoundHalfEven(dx), y = RoundHalfEven(dy), w = RoundHalfEven(dw), h = RoundHalfEven(dh);
  RunStretch(RasterOp::And, src, dest, sx, RoundHalfEven(maskY), isw, ish, x, y, w, h);
  RunStretch(RasterOp::Or, src, dest, sx, RoundHalfEven(spriteY), isw, ish, x, y, w, h);
}

void StretchOr(const Surface& src, double srcX, double srcY, double dw, double dh, Surface& dest, double dx,
               double dy, double sw, double sh) {
  RunStretch(RasterOp::Or, src, dest, RoundHalfEven(srcX), RoundHalfEven(srcY), RoundHalfEven(sw),
                           RoundHalfEven(sh), RoundHalfEven(dx), RoundHalfEven(dy), RoundHalfEven(dw),
                           RoundHalfEven(dh));
}
