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

}  // namespace
