#include "platform/blit.h"

#include <algorithm>
#include <cmath>

namespace {

enum class RasterOp { Copy, And, Or };

// A rectangle transfer already rounded to whole pixels.
struct Transfer {
  int srcX, srcY, w, h, dx, dy;
};

template <RasterOp op>
inline void CombineRow(uint32_t* d, const uint32_t* s, int n) {
  if constexpr (op == RasterOp::Copy) {
    std::copy(s, s + n, d);
  } else if constexpr (op == RasterOp::And) {
    for (int i = 0; i < n; ++i) d[i] &= s[i];
  } else {
    for (int i = 0; i < n; ++i) d[i] |= s[i];
  }
}

// Clips the transfer to both surfaces and runs it: a destination pixel is
// written only when it lies on `dest` and its source pixel lies on `src`.
template <RasterOp op>
void RunTransfer(const Surface& src, Surface& dest, Transfer t) {
  if (t.w <= 0 || t.h <= 0 || !src.pixels || !dest.pixels) return;
  const int64_t x0 = std::max<int64_t>({t.dx, 0, int64_t(t.dx) - t.srcX});
  const int64_t x1 = std::min<int64_t>({int64_t(t.dx) + t.w, dest.width, int64_t(t.dx) + src.width - t.srcX});
  const int64_t y0 = std::max<int64_t>({t.dy, 0, int64_t(t.dy) - t.srcY});
  const int64_t y1 = std::min<int64_t>({int64_t(t.dy) + t.h, dest.height, int64_t(t.dy) + src.height - t.srcY});
  if (x0 >= x1 || y0 >= y1) return;
  const int n = int(x1 - x0);
  for (int64_t y = y0; y < y1; ++y) {
    const int64_t sy = y - t.dy + t.srcY;
    const int64_t sx = x0 - t.dx + t.srcX;
    CombineRow<op>(dest.pixels + y * dest.width + x0, src.pixels + sy * src.width + sx, n);
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
int gColumnSource[kMaxStretchColumns];

template <RasterOp op>
void RunStretch(const Surface& src, Surface& dest, int srcX, int srcY, int sw, int sh, int dx, int dy,
                int dw, int dh) {
  if (!src.pixels || !dest.pixels) return;
  AxisMap mx, my;
  if (!MapAxis(dx, dw, srcX, sw, dest.width, src.width, &mx)) return;
  if (!MapAxis(dy, dh, srcY, sh, dest.height, src.height, &my)) return;
  const int cols = std::min(mx.count, kMaxStretchColumns);
  for (int k = 0; k < cols; ++k) gColumnSource[k] = mx.SourceAt(k);
  for (int r = 0; r < my.count; ++r) {
    const uint32_t* s = src.pixels + int64_t(my.SourceAt(r)) * src.width;
    uint32_t* d = dest.pixels + int64_t(my.destStart + r) * dest.width + mx.destStart;
    for (int k = 0; k < cols; ++k) {
      const uint32_t v = s[gColumnSource[k]];
      if constexpr (op == RasterOp::Copy) {
        d[k] = v;
      } else if constexpr (op == RasterOp::And) {
        d[k] &= v;
      } else {
        d[k] |= v;
      }
    }
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
  RunTransfer<RasterOp::And>(src, dest, {sx, RoundHalfEven(maskY), iw, ih, x, y});
  RunTransfer<RasterOp::Or>(src, dest, {sx, RoundHalfEven(spriteY), iw, ih, x, y});
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
