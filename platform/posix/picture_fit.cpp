#include "platform/posix/picture_fit.h"

#include <algorithm>
#include <cstdint>

PictureFit FitPicture(int outW, int outH, int picW, int picH, bool fullScreen, int scaling) {
  PictureFit fit;
  if (outW <= 0 || outH <= 0 || picW <= 0 || picH <= 0) return fit;
  const int whole = std::min(outW / picW, outH / picH);
  bool fill = scaling == 2;
  if (scaling == 0) fill = fullScreen || whole <= 1;
  if (!fill && whole >= 1) {
    fit.w = picW * whole;
    fit.h = picH * whole;
  } else if (int64_t(outW) * picH <= int64_t(outH) * picW) {
    fit.w = outW;
    fit.h = std::max(1, int(int64_t(outW) * picH / picW));
  } else {
    fit.h = outH;
    fit.w = std::max(1, int(int64_t(outH) * picW / picH));
  }
  fit.x = (outW - fit.w) / 2;
  fit.y = (outH - fit.h) / 2;
  const bool exact = fit.w % picW == 0 && fit.h % picH == 0 && fit.w / picW == fit.h / picH;
  if (fill && !exact) fit.multiple = std::max(1, (fit.h + picH - 1) / picH);
  return fit;
}
