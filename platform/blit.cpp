#include "platform/blit.h"

#include <algorithm>
#include <cmath>
#include <cstring>

// Rows are combined in 8-pixel vector blocks; the few plain per-pixel loops
// (short rows, the column-by-column gather of reduced stretches) are left to
// the compiler's vectoriser, run here at full strength. Each transfer also
// gets an AVX2 version that is picked when the program loads, while any other
// x86-64 machine runs the SSE2 one.
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

// Rows are combined 8 pixels at a time through the compiler's portable vector
// type (one AVX2 register, or two SSE2 ones). A row's last part block is done
// as the 8 pixels that end the row, worked out before the row is written and
// stored after it: the pixels it shares with the last whole block get the
// same values twice.
typedef uint32_t Pixels8 __attribute__((vector_size(8 * sizeof(uint32_t))));

inline void Load(Pixels8& v, const uint32_t* p) { std::memcpy(&v, p, sizeof v); }
inline void Store(uint32_t* p, const Pixels8& v) { std::memcpy(p, &v, sizeof v); }

// How a row's pixels are combined: d AND a, d OR a, or (d AND a) OR b (the
// masked draw, a the mask and b the sprite). Works on 8 pixels or on one.
enum class RowOp { And, Or, Masked };

template <RowOp op, class T>
inline void Combine(T& d, const T& a, const T& b) {
  if constexpr (op == RowOp::And) {
    d &= a;
  } else if constexpr (op == RowOp::Or) {
    d |= a;
  } else {
    d = (d & a) | b;
  }
}

template <RowOp op>
inline void CombineRow(uint32_t* d, const uint32_t* a, const uint32_t* b, int n) {
  if (n < 8) {
    for (int i = 0; i < n; ++i) Combine<op>(d[i], a[i], b[i]);
    return;
  }
  auto block = [&](int i, Pixels8& v) {
    Pixels8 va, vb;
    Load(v, d + i);
    Load(va, a + i);
    Load(vb, b + i);
    Combine<op>(v, va, vb);
  };
  const int last = n - 8;
  Pixels8 tail;
  block(last, tail);
  for (int i = 0; i < last; i += 8) {
    Pixels8 v;
    block(i, v);
    Store(d + i, v);
  }
  Store(d + last, tail);
}

// One row of a transfer: n destination pixels combined with n source pixels.
inline void CombineRow(RasterOp op, uint32_t* d, const uint32_t* s, int n) {
  switch (op) {
    case RasterOp::Copy: std::memmove(d, s, size_t(n) * sizeof(uint32_t)); break;
    case RasterOp::And: CombineRow<RowOp::And>(d, s, s, n); break;
    case RasterOp::Or: CombineRow<RowOp::Or>(d, s, s, n); break;
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
  uint32_t* d = dest.pixels + c.y0 * dest.width + c.x0;
  const uint32_t* s = src.pixels + (c.y0 - t.dy + t.srcY) * src.width + c.x0 - t.dx + t.srcX;
  for (int64_t y = c.y0;;) {
    CombineRow(op, d, s, n);
    if (++y == c.y1) break;
    d += dest.width;
    s += src.width;
  }
}

// The mask pass and the sprite pass; fused into one when both cover the same
// pixels (the mask and sprite rows both lie on the sheet), as they nearly
// always do.
WITH_AVX2_VERSION void RunMasked(const Surface& src, Surface& dest, const Transfer& mask, const Transfer& sprite) {
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
  const int64_t destStep = dest.width, srcStep = src.width;
  uint32_t* d = dest.pixels + cm.y0 * destStep + cm.x0;
  const uint32_t* m = src.pixels + (cm.y0 - mask.dy + mask.srcY) * srcStep + sx;
  const uint32_t* s = src.pixels + (cm.y0 - sprite.dy + sprite.srcY) * srcStep + sx;
  for (int64_t y = cm.y0;;) {
    CombineRow<RowOp::Masked>(d, m, s, n);
    if (++y == cm.y1) break;
    d += destStep;
    m += srcStep;
    s += srcStep;
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

// A stretch call's column map, worked out once per call: destination column
// k takes source column gColumnSource[k]. Each source row a call reads is
// expanded once into gRow, which then serves every destination row that
// reads that source row. A row is expanded in one of three ways:
//  - enlarged a lot (long runs of equal columns): each run filled in turn;
//  - otherwise, when every 8 consecutive destination columns read within 8
//    consecutive source pixels (enlarged, or reduced a little), 8 columns at
//    a time by one vector load and one shuffle (machines with AVX2);
//  - otherwise column by column.
enum class Expansion { Runs, Blocks, Columns };

struct ColumnRun {
  int source, start, length;
};
constexpr int kMaxStretchColumns = 8192;
constexpr int kBlock = 8;  // pixels written at once when expanding a row
int gColumnSource[kMaxStretchColumns];
ColumnRun gRuns[kMaxStretchColumns];
int gRunCount;
uint32_t gRow[kMaxStretchColumns + kBlock];

#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__)
#define HAVE_BLOCK_EXPANSION 1
typedef uint32_t Pixels8 __attribute__((vector_size(kBlock * sizeof(uint32_t))));
// Block b of gRow reads source pixels gBlockBase[b] + 0..7 of the row, lane
// j taking gBlockLanes[b][j].
int gBlockBase[kMaxStretchColumns / kBlock];
Pixels8 gBlockLanes[kMaxStretchColumns / kBlock];
const bool gHaveAvx2 = [] {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") != 0;
}();

bool BuildBlocks(int cols) {
  const auto [minIt, maxIt] = std::minmax_element(gColumnSource, gColumnSource + cols);
  const int maxCol = *maxIt;
  // The 8-pixel loads stay within the columns this call reads.
  if (maxCol - *minIt < kBlock - 1) return false;
  for (int b = 0; b * kBlock < cols; ++b) {
    int column[kBlock];
    for (int j = 0; j < kBlock; ++j) column[j] = gColumnSource[std::min(b * kBlock + j, cols - 1)];
    const auto [lo, hi] = std::minmax_element(column, column + kBlock);
    if (*hi - *lo >= kBlock) return false;
    const int base = std::min(*lo, maxCol - (kBlock - 1));
    gBlockBase[b] = base;
    for (int j = 0; j < kBlock; ++j) gBlockLanes[b][j] = uint32_t(column[j] - base);
  }
  return true;
}
#endif

Expansion BuildColumnMap(const AxisMap& mx, int cols) {
  gRunCount = 0;
  AxisWalk walk(mx);
  for (int k = 0; k < cols; ++k, walk.Next()) {
    const int source = walk.Source();
    gColumnSource[k] = source;
    if (gRunCount > 0 && gRuns[gRunCount - 1].source == source) {
      ++gRuns[gRunCount - 1].length;
    } else {
      gRuns[gRunCount++] = {source, k, 1};
    }
  }
  if (gRunCount * 4 <= cols) return Expansion::Runs;
#ifdef HAVE_BLOCK_EXPANSION
  if (gHaveAvx2 && BuildBlocks(cols)) return Expansion::Blocks;
#endif
  return Expansion::Columns;
}

inline void GatherRow(uint32_t* __restrict out, const uint32_t* __restrict s, const int* __restrict columns,
                      int cols) {
  for (int k = 0; k < cols; ++k) out[k] = s[columns[k]];
}

// Fills gRow from source row `s`. Runs and blocks are written with whole
// kBlock-pixel stores that may reach past a run's end or the last column;
// the next run overwrites the excess, and gRow has room for the last one's.
inline void ExpandRow(Expansion how, const uint32_t* s, int cols) {
  switch (how) {
    case Expansion::Runs:
      for (int r = 0; r < gRunCount; ++r) {
        const ColumnRun run = gRuns[r];
        const uint32_t v = s[run.source];
        uint32_t* o = gRow + run.start;
        for (int j = 0; j < run.length; j += kBlock) {
          for (int k = 0; k < kBlock; ++k) o[j + k] = v;
        }
      }
      break;
    case Expansion::Blocks:
#ifdef HAVE_BLOCK_EXPANSION
      for (int b = 0; b * kBlock < cols; ++b) {
        Pixels8 v;
        std::memcpy(&v, s + gBlockBase[b], sizeof v);
        const Pixels8 out = __builtin_shuffle(v, gBlockLanes[b]);
        std::memcpy(gRow + b * kBlock, &out, sizeof out);
      }
#endif
      break;
    case Expansion::Columns: GatherRow(gRow, s, gColumnSource, cols); break;
  }
}

// A stretched transfer (op And or Or). The source row a few rows on is asked
// for ahead of time: enlarged pictures read one short piece of each of many
// rows, a pattern the processor does not fetch ahead by itself.
constexpr int kPrefetchRows = 4;
WITH_AVX2_VERSION void RunStretch(RasterOp op, const Surface& src, Surface& dest, int srcX, int srcY, int sw,
                                  int sh, int dx, int dy, int dw, int dh) {
  if (!src.pixels || !dest.pixels) return;
  AxisMap mx, my;
  if (!MapAxis(dx, dw, srcX, sw, dest.width, src.width, &mx)) return;
  if (!MapAxis(dy, dh, srcY, sh, dest.height, src.height, &my)) return;
  const int cols = std::min(mx.count, kMaxStretchColumns);
  const Expansion how = BuildColumnMap(mx, cols);
  int expandedRow = -1;
  AxisWalk rows(my);
  uint32_t* d = dest.pixels + int64_t(my.destStart) * dest.width + mx.destStart;
  for (int r = 0;;) {
    const int sourceRow = rows.Source();
    if (sourceRow != expandedRow) {
      const int ahead = sourceRow + (my.mirrored ? -kPrefetchRows : kPrefetchRows);
      if (ahead >= 0 && ahead < src.height) {
        const uint32_t* p = src.pixels + int64_t(ahead) * src.width;
        __builtin_prefetch(p + gColumnSource[0]);
        __builtin_prefetch(p + gColumnSource[cols - 1]);
      }
      ExpandRow(how, src.pixels + int64_t(sourceRow) * src.width, cols);
      expandedRow = sourceRow;
    }
    CombineRow(op, d, gRow, cols);
    if (++r == my.count) break;
    rows.Next();
    d += dest.width;
  }
}

}  // namespace

namespace {
bool gDrawingSkipped = false;
}  // namespace
void SetDrawingSkipped(bool skipped) { gDrawingSkipped = skipped; }
bool DrawingSkipped() { return gDrawingSkipped; }

int32_t RoundHalfEven(double v) {
  if (!(v == v)) return 0;  // NaN draws at 0 rather than invoking undefined behaviour
  v = std::clamp(v, -1.0e9, 1.0e9);
  // Adding and taking away 1.5 * 2^52 leaves v rounded to an integer as the
  // floating-point unit rounds, to nearest with halves to even, exactly as
  // nearbyint does (for |v| < 2^51), without a library call per coordinate.
  constexpr double kRounder = 6755399441055744.0;
  return int32_t((v + kRounder) - kRounder);
}

void DrawMasked(const Surface& src, double srcX, double spriteY, double maskY, double w, double h, Surface& dest,
                double dx, double dy) {
  if (gDrawingSkipped) return;
  const int sx = RoundHalfEven(srcX), iw = RoundHalfEven(w), ih = RoundHalfEven(h);
  const int x = RoundHalfEven(dx), y = RoundHalfEven(dy);
  RunMasked(src, dest, {sx, RoundHalfEven(maskY), iw, ih, x, y}, {sx, RoundHalfEven(spriteY), iw, ih, x, y});
}

void BlitOr(const Surface& src, double srcX, double srcY, double w, double h, Surface& dest, double dx,
            double dy) {
  if (gDrawingSkipped) return;
  RunTransfer(RasterOp::Or, src, dest,
              {RoundHalfEven(srcX), RoundHalfEven(srcY), RoundHalfEven(w), RoundHalfEven(h), RoundHalfEven(dx),
               RoundHalfEven(dy)});
}

void BlitCopy(const Surface& src, double srcX, double srcY, double w, double h, Surface& dest, double dx,
              double dy) {
  if (gDrawingSkipped) return;
  RunTransfer(RasterOp::Copy, src, dest,
              {RoundHalfEven(srcX), RoundHalfEven(srcY), RoundHalfEven(w), RoundHalfEven(h), RoundHalfEven(dx),
               RoundHalfEven(dy)});
}

void StretchMasked(const Surface& src, double srcX, double spriteY, double maskY, double dw, double dh,
                   Surface& dest, double dx, double dy, double sw, double sh) {
  if (gDrawingSkipped) return;
  const int sx = RoundHalfEven(srcX), isw = RoundHalfEven(sw), ish = RoundHalfEven(sh);
  const int x = RoundHalfEven(dx), y = RoundHalfEven(dy), w = RoundHalfEven(dw), h = RoundHalfEven(dh);
  RunStretch(RasterOp::And, src, dest, sx, RoundHalfEven(maskY), isw, ish, x, y, w, h);
  RunStretch(RasterOp::Or, src, dest, sx, RoundHalfEven(spriteY), isw, ish, x, y, w, h);
}

void StretchOr(const Surface& src, double srcX, double srcY, double dw, double dh, Surface& dest, double dx,
               double dy, double sw, double sh) {
  if (gDrawingSkipped) return;
  RunStretch(RasterOp::Or, src, dest, RoundHalfEven(srcX), RoundHalfEven(srcY), RoundHalfEven(sw),
             RoundHalfEven(sh), RoundHalfEven(dx), RoundHalfEven(dy), RoundHalfEven(dw), RoundHalfEven(dh));
}
