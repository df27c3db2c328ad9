#include "platform/posix/picture_fit.h"

#include <gtest/gtest.h>

namespace {

TEST(PictureFitTest, SharpFillAndAutomaticScaling) {
  struct Case {
    const char* name;
    int outW, outH;
    bool fullScreen;
    int scaling;
    PictureFit expected;
  };
  // The picture is 332 x 478.
  const Case cases[] = {
      {"laptop full screen, automatic: fills the height", 1366, 768, true, 0, {416, 0, 533, 768, 2}},
      {"laptop full screen, sharp: 1x letterboxed", 1366, 768, true, 1, {517, 145, 332, 478, 0}},
      {"large window, automatic: sharp 2x", 1920, 1080, false, 0, {628, 62, 664, 956, 0}},
      {"large screen, automatic full screen: fill from 3x", 1920, 1080, true, 0, {585, 0, 750, 1080, 3}},
      {"fill that is a whole multiple needs no smooth step", 664, 956, false, 2, {0, 0, 664, 956, 0}},
      {"1x window, automatic: fill, already exact", 332, 478, false, 0, {0, 0, 332, 478, 0}},
      {"wide 1x window, automatic: fill", 700, 500, false, 0, {176, 0, 347, 500, 2}},
      {"window smaller than the picture, sharp: shrinks to fit", 300, 400, false, 1, {11, 0, 277, 400, 0}},
      {"no output", 0, 0, false, 0, {0, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const PictureFit f = FitPicture(c.outW, c.outH, 332, 478, c.fullScreen, c.scaling);
    EXPECT_EQ(f.x, c.expected.x);
    EXPECT_EQ(f.y, c.expected.y);
    EXPECT_EQ(f.w, c.expected.w);
    EXPECT_EQ(f.h, c.expected.h);
    EXPECT_EQ(f.multiple, c.expected.multiple);
    // Inside the output, and the aspect ratio kept within a pixel.
    EXPECT_LE(f.x + f.w, c.outW);
    EXPECT_LE(f.y + f.h, c.outH);
    if (f.w > 0) {
      EXPECT_NEAR(double(f.w) / f.h, 332.0 / 478.0, 1.0 / f.h + 1.0 / f.w);
    }
  }
}

TEST(PictureFitTest, WindowSizesFollowTheDesktopsUsableArea) {
  // A 1366 x 768 desktop: a 28-line panel and a 37-line title bar leave
  // 1366 x 703 for the window's inside. 2x (664 x 956) and above do not fit.
  EXPECT_EQ(LargestFittingMultiple(1366, 703, 332, 478, 4), 1) << "only 1x (and automatic) are offered";
  EXPECT_EQ(LargestFittingMultiple(1920, 1040, 332, 478, 4), 2);
  EXPECT_EQ(LargestFittingMultiple(3840, 2100, 332, 478, 4), 4) << "never above the largest setting";
  EXPECT_EQ(LargestFittingMultiple(300, 400, 332, 478, 4), 0);
  EXPECT_EQ(LargestFittingMultiple(0, 0, 332, 478, 4), 1) << "an unknown desktop offers 1x";

  struct Case {
    const char* name;
    int usableW, usableH, windowSize;
    WindowPlan expected;
  };
  const Case cases[] = {
      {"1366 x 768, automatic: the largest window of the picture's shape, filled", 1366, 703, 0, {488, 703, 0}},
      {"1366 x 768, 1x as chosen", 1366, 703, 1, {332, 478, 1}},
      {"1366 x 768, a saved 3x that no longer fits: automatic", 1366, 703, 3, {488, 703, 0}},
      {"1920 x 1080, automatic: 2x", 1920, 1040, 0, {664, 956, 2}},
      {"1920 x 1080, 1x as chosen", 1920, 1040, 1, {332, 478, 1}},
      {"4K, a saved 4x", 3840, 2100, 4, {1328, 1912, 4}},
      {"4K, automatic: the largest multiple", 3840, 2100, 0, {1328, 1912, 4}},
      {"a desktop smaller than the picture: shrunk to fit", 300, 400, 0, {277, 400, 0}},
      {"an unknown desktop: 1x", 0, 0, 0, {332, 478, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const WindowPlan p = PlanWindow(c.usableW, c.usableH, 332, 478, c.windowSize, 4);
    EXPECT_EQ(p.w, c.expected.w);
    EXPECT_EQ(p.h, c.expected.h);
    EXPECT_EQ(p.multiple, c.expected.multiple);
    if (c.usableW > 0) {
      EXPECT_LE(p.w, c.usableW);
      EXPECT_LE(p.h, c.usableH);
    }
  }
}

}  // namespace
