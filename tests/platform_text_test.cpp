#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/surface.h"

namespace {

struct Pic {
  std::vector<uint32_t> px;
  Surface s;
  Pic(int w, int h, uint32_t fill) : px(size_t(w) * h, fill) { s = Surface{w, h, px.data()}; }
};

struct Ink {
  int changed = 0, exact = 0;
  int minX = 1 << 30, minY = 1 << 30, maxX = -1, maxY = -1;
};

Ink Measure(const Pic& p, uint32_t background, uint32_t colour) {
  Ink ink;
  for (int y = 0; y < p.s.height; ++y)
    for (int x = 0; x < p.s.width; ++x) {
      const uint32_t v = p.px[size_t(y) * p.s.width + x];
      if (v == background) continue;
      ++ink.changed;
      if (v == colour) ++ink.exact;
      ink.minX = std::min(ink.minX, x);
      ink.minY = std::min(ink.minY, y);
      ink.maxX = std::max(ink.maxX, x);
      ink.maxY = std::max(ink.maxY, y);
    }
  return ink;
}

TEST(Text, JapaneseAndLatinDrawInTheirColourFromTheTopLeft) {
  const struct {
    std::string text;
    int points;
  } cases[] = {{"ハイスコアです！", 12}, {"SCORE 0012345", 10}, {"GAME OVER", 28}};
  for (const auto& c : cases) {
    Pic p(332, 100, 0x102030);
    platform::DrawText(p.s, 20, 30, c.points, 0xFFFF00, c.text);
    const Ink ink = Measure(p, 0x102030, 0xFFFF00);
    const int pixels = c.points * 96 / 72;  // the em square in pixels
    ASSERT_GT(ink.exact, 10) << c.text;
    EXPECT_GE(ink.minX, 20) << c.text;
    EXPECT_GE(ink.minY, 30) << c.text;
    EXPECT_LE(ink.maxY, 30 + pixels + 2) << c.text << " stays within its line";
    // Fixed pitch: full-width characters one em, half-width half an em,
    // and the bold face one pixel more each.
    int halves = 0, characters = 0;
    for (size_t i = 0; i < c.text.size(); ++i) {
      const unsigned char b = static_cast<unsigned char>(c.text[i]);
      if ((b & 0xC0) != 0x80) {
        halves += b < 0x80 ? 1 : 2;
        ++characters;
      }
    }
    const double width = halves * (c.points * 96.0 / 72.0) / 2 + characters;
    EXPECT_NEAR(ink.maxX - 20, width, pixels) << c.text;
  }
}

TEST(Text, NoBackgroundBoxAndBlendedEdges) {
  Pic p(100, 40, 0x0000FF);
  platform::DrawText(p.s, 2, 2, 20, 0xFF0000, "O");
  // Inside the ring the background shows; edge pixels mix the two colours.
  bool blended = false;
  for (uint32_t v : p.px) {
    const uint32_t r = v >> 16 & 255, b = v & 255;
    if (r > 0 && r < 255 && b > 0 && b < 255) blended = true;
  }
  EXPECT_TRUE(blended);
  const Ink ink = Measure(p, 0x0000FF, 0xFF0000);
  EXPECT_EQ(p.px[size_t((ink.minY + ink.maxY) / 2) * 100 + (ink.minX + ink.maxX) / 2], 0x0000FFu);
}

TEST(Text, ClippedAtEveryEdge) {
  // Fenced surface: the rows around the 40 x 20 picture must stay untouched.
  std::vector<uint32_t> store(size_t(40) * 22, 0xABCDEF);
  Surface s{40, 20, store.data() + 40};
  for (auto [x, y] : {std::pair{-15, -8}, {30, 12}, {-500, 0}, {0, 500}, {35, -3}})
    platform::DrawText(s, x, y, 16, 0xFFFFFF, "全角テキスト WIDE");
  for (int i = 0; i < 40; ++i) {
    EXPECT_EQ(store[size_t(i)], 0xABCDEFu);
    EXPECT_EQ(store[size_t(21) * 40 + i], 0xABCDEFu);
  }
}

TEST(Text, RepeatedDrawingGivesTheSamePixels) {
  // The second drawing comes from the glyph cache.
  Pic a(200, 30, 0), b(200, 30, 0);
  platform::DrawText(a.s, 5, 5, 14, 0x00FFFF, "残り 3 機");
  platform::DrawText(b.s, 5, 5, 14, 0x00FFFF, "残り 3 機");
  EXPECT_EQ(a.px, b.px);
  EXPECT_GT(Measure(a, 0, 0x00FFFF).exact, 0);
}

TEST(Text, EmptyOrNonsenseInputDrawsNothingHarmful) {
  Pic p(50, 20, 0x123456);
  platform::DrawText(p.s, 0, 0, 12, 0xFFFFFF, "");
  platform::DrawText(p.s, 0, 0, 0, 0xFFFFFF, "zero points");
  platform::DrawText(p.s, 0, 0, -4, 0xFFFFFF, "negative");
  EXPECT_EQ(Measure(p, 0x123456, 0).changed, 0);
  platform::DrawText(p.s, 0, 0, 12, 0xFFFFFF, std::string("\xff\xfe\xe3\x81", 4));  // malformed UTF-8
}

}  // namespace

namespace {

// The low marks (an underscore in a file name) are drawn at the small sizes
// the notices use, not cut off under the line.
TEST(Text, AnUnderscoreIsDrawnAtEverySize) {
  if (platform::TextWidth(9, "_") == 0) GTEST_SKIP() << "no font";
  for (int points : {9, 11, 13, 19}) {
    Pic p(100, 60, 0);
    platform::DrawText(p.s, 10, 10, points, 0xFFFFFF, "_");
    EXPECT_GT(Measure(p, 0, 0xFFFFFF).changed, 0) << points << " points";
  }
}

}  // namespace
