#include "platform/blit.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

enum class RasterOp { Copy, And, Or };

// A rectangle transfer already rounded to whole pixels.
struct Transfer {
  int srcX, srcY, w, h, dx, dy;
};

// Rows are combined four pixels at a time through the compiler's portable
// vector types, so the loops are vectorised at any optimisation level.
typedef uint32_t Pixels4 __attribute__((vector_size(16)));

inline Pixels4 Load4(const uint32_t* p) {
  Pixels4 v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
inline void Store4(uint32_t* p, Pixels4 v) { std::memcpy(p, &v, sizeof v); }

template <RasterOp op>
inline void CombineRow(uint32_t* d, const uint32_t* s, int n) {
  if constexpr (op == RasterOp::Copy) {
    std::memmove(d, s, size_t(n) * sizeof(uint32_t));
  } else {
    int i = 0;
    for (; i + 8 <= n; i += 8) {
      if constexpr (op == RasterOp::And) {
        Store4(d + i, Load4(d + i) & Load4(s + i));
        Store4(d + i + 4, Load4(d + i + 4) & Load4(s + i + 4));
      } else {
        Store4(d + i, Load4(d + i) | Load4(s + i));
        Store4(d + i + 4, Load4(d + i + 4) | Load4(s + i + 4));
      }
    }
    for (; i < n; ++i) {
      if constexpr (op == RasterOp::And) {
        d[i] &= s[i];
      } else {
        d[i] |= s[i];
      }
    }
  }
}

// The masked draw in one pass: the mask ANDed, then the sprite ORed.
inline void MaskedRow(uint32_t* d, const uint32_t* mask, const uint32_t* sprite, int n) {
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    Store4(d + i, (Load4(d + i) & Load4(mask + i)) | Load4(sprite + i));
    Store4(d + i + 4, (Load4(d + i + 4) & Load4(mask + i + 4)) | Load4(sprite + i + 4));
  }
  for (; i + 4 <= n; i += 4) Store4(d + i, (Load4(d + i) & Load4(mask + i)) | Load4(sprite + i));
  for (; i < n; ++i) d[i] = (d[i] & mask[i]) | sprite[i];
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
template <RasterOp op>
void RunTransfer(const Surface& src, Surface& dest, Transfer t) {
  if (t.w <= 0 || t.h <= 0 || !src.pixels || !dest.pixels) return;
  const Clip c = ClipTransfer(src, dest, t);
  if (c.Empty()) return;
  const int n = int(c.x1 - c.x0);
  for (int64_t y = c.y0; y < c.y1; ++y) {
    const int64_t sy = y - t.dy + t.srcY;
    const int64_t sx = c.x0 - t.dx + t.srcX;
    CombineRow<op>(dest.pixels + y * dest.width + c.x0, src.pixels + sy * src.width + sx, n);
  }
}

// The mask pass and the sprite pass; fused into one when both cover the same
// pixels (the mask and sprite rows both lie on the sheet), as they nearly
// always do.
void RunMasked(const Surface& src, Surface& dest, const Transfer& mask, const Transfer& sprite) {
  if (mask.w <= 0 || mask.h <= 0 || !src.pixels || !dest.pixels) return;
  const Clip cm = ClipTransfer(src, dest, mask), cs = ClipTransfer(src, dest, sprite);
  if (!(cm == cs)) {
    RunTransfer<RasterOp::And>(src, dest, mask);
    RunTransfer<RasterOp::Or>(src, dest, sprite);
    return;
  }
  if (cm.Empty()) return;
  const int n = int(cm.x1 - cm.x0);
  const int64_t sx = cm.x0 - mask.dx + mask.srcX;
  for (int64_t y = cm.y0; y < cm.y1; ++y) {
    const uint32_t* m = src.pixels + (y - mask.dy + mask.srcY) * src.width + sx;
    const uint32_t* s = src.pixels + (y - sprite.dy + sprite.srcY) * src.width + sx;
    MaskedRow(dest.pixels + y * dest.width + cm.x0, m, s, n);
  }
}

// Nearest-neighbour mapping of one axis of a stretched transfer. Destination
// index i (0..|dSize|-1) takes source index floor(i * sSize / |dSize|), read
// backwards when the destination size is negative (a mirror image).
struct AxisMap {
  int destStart = 0;   // first destination pixel written
  int count = 0;       // how many
  int64_t srcStart = 0;
  int64_t num = 0;     // source step numerator per destination pixel
  int64_t den = 1;
  int64_t first = 0;   // index i of destStart
  bool mirrored = false;
  int64_t srcSize = 0;
  int64_t srcOrigin = 0;
  int SourceAt(int k) const {
    const int64_t i = first + k;
    const int64_t si = i * num / den;
    return int(srcOrigin + (mirrored ? srcSize - 1 - si : si));
  }
};

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
  if (lo >= hi) return false;
  // Source clipping: source index si (monotonic in i) must give
  // 0 <= sPos + s' < srcLimit with s' = si or sSize-1-si.
  auto srcOk = [&](int64_t i) {
    const int64_t si = i * sSize / n;
    const int64_t s = sPos + (m->mirrored ? sSize - 1 - si : si);
    return s >= 0 && s < srcLimit;
  };
  // The valid i form one run; find it by scanning inwards from both ends
  // (runs are short: at most the destination width).
  while (lo < hi && !srcOk(lo)) ++lo;
  while (hi > lo && !srcOk(hi - 1)) --hi;
  if (lo >= hi) return false;
  m->first = lo;
  m->count = int(hi - lo);
  m->destStart = int(start + lo);
  return true;
}

constexpr int kMaxStretchColumns = 8192;

// One stretch call's column map, worked out once per call, both per column
// and as runs: destination columns [start, start + length) all take source
// column `source`. Rows with long runs are combined run by run; others are
// gathered into a row cache that serves every following row reading the same
// source row.
struct ColumnRun {
  int source, start, length;
};
ColumnRun gRuns[kMaxStretchColumns];
int gColumnSource[kMaxStretchColumns];
uint32_t gRowCache[2][kMaxStretchColumns + 8];

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

// Long runs (an enlarged picture): each run's pixel is combined straight
// into the destination row, four at a time.
template <RasterOp op>
void CombineRuns(uint32_t* d, const uint32_t* s, int runs) {
  for (int r = 0; r < runs; ++r) {
    const ColumnRun& run = gRuns[r];
    const uint32_t v = s[run.source];
    uint32_t* o = d + run.start;
    const Pixels4 splat = {v, v, v, v};
    int i = 0;
    for (; i + 4 <= run.length; i += 4) {
      if constexpr (op == RasterOp::Copy) {
        Store4(o + i, splat);
      } else if constexpr (op == RasterOp::And) {
        Store4(o + i, Load4(o + i) & splat);
      } else {
        Store4(o + i, Load4(o + i) | splat);
      }
    }
    for (; i < run.length; ++i) {
      if constexpr (op == RasterOp::Copy) {
        o[i] = v;
      } else if constexpr (op == RasterOp::And) {
        o[i] &= v;
      } else {
        o[i] |= v;
      }
    }
  }
}

template <RasterOp op>
void RunStretch(const Surface& src, Surface& dest, int srcX, int srcY, int sw, int sh, int dx, int dy,
                int dw, int dh) {
  if (!src.pixels || !dest.pixels) return;
  AxisMap mx, my;
  if (!MapAxis(dx, dw, srcX, sw, dest.width, src.width, &mx)) return;
  if (!MapAxis(dy, dh, srcY, sh, dest.height, src.height, &my)) return;
  const int cols = std::min(mx.count, kMaxStretchColumns);
  const int runs = BuildRuns(mx, cols);
  const bool longRuns = runs * 4 <= cols;
  uint32_t* row = gRowCache[op == RasterOp::And ? 0 : 1];
  int cachedSource = -1;
  AxisWalk rows(my);
  for (int r = 0; r < my.count; ++r, rows.Next()) {
    const int sourceRow = rows.Source();
    const uint32_t* s = src.pixels + int64_t(sourceRow) * src.width;
    uint32_t* d = dest.pixels + int64_t(my.destStart + r) * dest.width + mx.destStart;
    if (longRuns) {
      CombineRuns<op>(d, s, runs);
      continue;
    }
    // Short runs: gather the source row once and reuse it while the
    // following rows read the same source row.
    if (sourceRow != cachedSource) {
      for (int k = 0; k < cols; ++k) row[k] = s[gColumnSource[k]];
      cachedSource = sourceRow;
    }
    CombineRow<op>(d, row, cols);
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
  RunTransfer<RasterOp::Or>(src, dest,
                            {RoundHalfEven(srcX), RoundHalfEven(srcY), RoundHalfEven(w), RoundHalfEven(h),
                             RoundHalfEven(dx), RoundHalfEven(dy)});
}

void BlitCopy(const Surface& src, double srcX, double srcY, double w, double h, Surface& dest, double dx,
              double dy) {
  RunTransfer<RasterOp::Copy>(src, dest,
                              {RoundHalfEven(srcX), RoundHalfEven(srcY), RoundHalfEven(w), RoundHalfEven(h),
                               RoundHalfEven(dx), RoundHalfEven(dy)});
}

void StretchMasked(const Surface& src, double srcX, double spriteY, double maskY, double dw, double dh,
                   Surface& dest, double dx, double dy, double sw, double sh) {
  const int sx = RoundHalfEven(srcX), isw = RoundHalfEven(sw), ish = RoundHalfEven(sh);
  const int x = RoundHalfEven(dx), y = RoundHalfEven(dy), w = RoundHalfEven(dw), h = RoundHalfEven(dh);
  RunStretch<RasterOp::And>(src, dest, sx, RoundHalfEven(maskY), isw, ish, x, y, w, h);
  RunStretch<RasterOp::Or>(src, dest, sx, RoundHalfEven(spriteY), isw, ish, x, y, w, h);
}

void StretchOr(const Surface& src, double srcX, double srcY, double dw, double dh, Surface& dest, double dx,
               double dy, double sw, double sh) {
  RunStretch<RasterOp::Or>(src, dest, RoundHalfEven(srcX), RoundHalfEven(srcY), RoundHalfEven(sw),
                           RoundHalfEven(sh), RoundHalfEven(dx), RoundHalfEven(dy), RoundHalfEven(dw),
                           RoundHalfEven(dh));
}
