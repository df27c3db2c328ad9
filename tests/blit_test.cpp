#include "platform/blit.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A small surface with its own storage.
struct Pic {
  std::vector<uint32_t> px;
  Surface s;
  Pic(int w, int h, uint32_t fill = 0) : px(size_t(w) * h, fill) { s = Surface{w, h, px.data()}; }
  uint32_t& at(int x, int y) { return px[size_t(y) * s.width + x]; }
};

TEST(RoundHalfEven, HalvesGoToEven) {
  const struct {
    double in;
    int out;
  } cases[] = {{2.5, 2}, {3.5, 4}, {-2.5, -2}, {-3.5, -4}, {0.49, 0}, {1.51, 2}, {-0.5, 0}};
  for (const auto& c : cases) EXPECT_EQ(RoundHalfEven(c.in), c.out) << c.in;
}

TEST(Blit, CopyOrAndMaskedCombineAsRasterOps) {
  // Source: a 2x1 sprite row (y 0) and its mask row (y 1).
  Pic src(2, 2);
  src.at(0, 0) = 0x00FF00;  // sprite pixel
  src.at(1, 0) = 0x000000;  // transparent
  src.at(0, 1) = 0x000000;  // mask: opaque
  src.at(1, 1) = 0xFFFFFF;  // mask: transparent

  Pic dest(4, 1, 0x102030);
  DrawMasked(src.s, 0, 0, 1, 2, 1, dest.s, 1, 0);
  EXPECT_EQ(dest.at(0, 0), 0x102030u);
  EXPECT_EQ(dest.at(1, 0), 0x00FF00u);  // footprint cleared, sprite ORed
  EXPECT_EQ(dest.at(2, 0), 0x102030u);  // background kept under white mask

  Pic d2(2, 1, 0x0F0F0F);
  BlitOr(src.s, 0, 0, 2, 1, d2.s, 0, 0);
  EXPECT_EQ(d2.at(0, 0), 0x0FFF0Fu);
  BlitCopy(src.s, 0, 1, 2, 1, d2.s, 0, 0);
  EXPECT_EQ(d2.at(0, 0), 0u);
  EXPECT_EQ(d2.at(1, 0), 0xFFFFFFu);
}

TEST(Blit, SourceOutsideItsSheetDrawsNothing) {
  Pic src(4, 4, 0xFFFFFF);
  Pic dest(8, 8, 0x123456);
  BlitCopy(src.s, 1000, 0, 4, 4, dest.s, 0, 0);
  DrawMasked(src.s, 1000, 0, 0, 4, 4, dest.s, 0, 0);
  StretchOr(src.s, 1000, 0, 8, 8, dest.s, 0, 0, 4, 4);
  for (uint32_t p : dest.px) EXPECT_EQ(p, 0x123456u);
  // A rectangle half outside draws only its inside part.
  BlitCopy(src.s, 2, 0, 4, 1, dest.s, 0, 0);
  EXPECT_EQ(dest.at(0, 0), 0xFFFFFFu);
  EXPECT_EQ(dest.at(1, 0), 0xFFFFFFu);
  EXPECT_EQ(dest.at(2, 0), 0x123456u);
}

TEST(Blit, DestinationIsClippedAndCoordinatesRoundHalfEven) {
  Pic src(2, 2, 0xFFFFFF);
  Pic dest(4, 4);
  BlitCopy(src.s, 0, 0, 2, 2, dest.s, 2.5, -1);  // x 2.5 draws at 2
  EXPECT_EQ(dest.at(2, 0), 0xFFFFFFu);
  EXPECT_EQ(dest.at(3, 0), 0xFFFFFFu);
  EXPECT_EQ(dest.at(1, 0), 0u);
  EXPECT_EQ(dest.at(2, 1), 0u);
  Pic d3(8, 1);
  BlitCopy(src.s, 0, 0, 1, 1, d3.s, 3.5, 0);  // 3.5 draws at 4
  EXPECT_EQ(d3.at(4, 0), 0xFFFFFFu);
  EXPECT_EQ(d3.at(3, 0), 0u);
}

TEST(Blit, StretchScalesNearestAndMirrorsNegativeSizes) {
  Pic src(2, 1);
  src.at(0, 0) = 0x0000FF;
  src.at(1, 0) = 0xFF0000;
  Pic dest(4, 2);
  StretchOr(src.s, 0, 0, 4, 2, dest.s, 0, 0, 2, 1);
  EXPECT_EQ(dest.at(0, 0), 0x0000FFu);
  EXPECT_EQ(dest.at(1, 1), 0x0000FFu);
  EXPECT_EQ(dest.at(2, 0), 0xFF0000u);
  EXPECT_EQ(dest.at(3, 1), 0xFF0000u);

  Pic mirrored(4, 1);
  StretchOr(src.s, 0, 0, -4, 1, mirrored.s, 4, 0, 2, 1);  // covers x 0..3, flipped
  EXPECT_EQ(mirrored.at(0, 0), 0xFF0000u);
  EXPECT_EQ(mirrored.at(3, 0), 0x0000FFu);

  Pic none(4, 1, 7);
  StretchOr(src.s, 0, 0, 0, 1, none.s, 0, 0, 2, 1);
  for (uint32_t p : none.px) EXPECT_EQ(p, 7u);
}

}  // namespace
