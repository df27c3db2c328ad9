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

int LargestFittingMultiple(int usableW, int usableH, int picW, int picH, int maxMultiple) {
  if (usableW <= 0 || usableH <= 0 || picW <= 0 || picH <= 0) return 1;
  int m = 0;
  while (m < maxMultiple && picW * (m + 1) <= usableW && picH * (m + 1) <= usableH) ++m;
  return m;
}

WindowPlan PlanWindow(int usableW, int usableH, int picW, int picH, int windowSize, int maxMultiple) {
  WindowPlan plan;
  const int largest = LargestFittingMultiple(usableW, usableH, picW, picH, maxMultiple);
  int m = windowSize >= 1 && windowSize <= largest ? windowSize : 0;
  if (m == 0 && largest >= 2) m = largest;
  if (m >= 1 || usableW <= 0 || usableH <= 0 || picW <= 0 || picH <= 0) {
    plan.multiple = m >= 1 ? m : 1;
    plan.w = picW * plan.multiple;
    plan.h = picH * plan.multiple;
    return plan;
  }
  // No whole multiple above 1x fits: the largest window of the picture's shape.
  if (int64_t(usableW) * picH <= int64_t(usableH) * picW) {
    plan.w = usableW;
    plan.h = std::max(1, int(int64_t(usableW) * picH / picW));
  } else {
    plan.h = usableH;
    plan.w = std::max(1, int(int64_t(usableH) * picW / picH));
  }
  if (plan.w == picW && plan.h == picH) plan.multiple = 1;
  return plan;
}
