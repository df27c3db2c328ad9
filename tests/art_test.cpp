// The art as the game loads it: sheet sizes, the mask convention of every
// masked cell the game reads, the stage map, and the generators' determinism.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "data/map_file.h"
#include "platform/blit.h"
#include "platform/surface.h"
#include "tools/gen_sheets/tile_codes.h"

namespace {

const std::string kBuild = TESSIVANE_BUILD_DIR;

std::vector<char> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

class ArtTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SetUpSurfaces()); }
};

TEST_F(ArtTest, EverySheetHasItsSize) {
  const int sizes[19][2] = {{810, 130}, {60, 30},  {36, 56},   {305, 70},  {40, 40},  {270, 65},  {365, 460},
                            {180, 40},  {840, 80}, {360, 640}, {264, 44},  {259, 92}, {700, 920}, {256, 64},
                            {56, 12},   {96, 18},  {34, 36},   {320, 120}, {320, 80}};
  for (int i = 0; i < 19; ++i) {
    EXPECT_EQ(imgchar[i].width, sizes[i][0]) << "sheet " << i;
    EXPECT_EQ(imgchar[i].height, sizes[i][1]) << "sheet " << i;
  }
}

// A masked cell as the game reads it.
struct Cell {
  int sheet, x, spriteY, maskY, w, h;
};

std::vector<Cell> MaskedCells() {
  std::vector<Cell> cells;
  for (int bank = 0; bank < 6; ++bank) cells.push_back({0, 45 * bank, 0, 65, 45, 65});
  for (int f = 0; f < 6; ++f)
    for (int b = 0; b < 2; ++b) cells.push_back({0, 270 + 45 * b + 90 * f, 0, 65, 45, 65});
  for (int f = 0; f < 3; ++f) cells.push_back({1, 20 * f, 0, 15, 20, 15});
  for (int f = 0; f < 2; ++f) cells.push_back({2, 18 * f, 0, 28, 18, 28});
  for (int f = 0; f < 2; ++f) cells.push_back({16, 17 * f, 0, 18, 17, 18});
  cells.push_back({3, 0, 0, 19, 102, 19});
  // Gauge fill windows from empty to full, both colours, and the flashing full gauge.
  for (int x = 102; x <= 193; ++x) {
    cells.push_back({3, x, 0, 19, 96, 13});
    cells.push_back({3, x, 38, 57, 96, 13});
  }
  cells.push_back({3, 102, 38, 19, 96, 13});
  for (int x = 0; x < 160; x += 20) cells.push_back({7, x, 0, 20, 20, 20});
  for (int k = 0; k < 10; ++k)
    for (int f = 0; f < 2; ++f) cells.push_back({8, 40 + 80 * k + 40 * f, 0, 40, 40, 40});
  cells.push_back({11, 0, 0, 46, 256, 46});
  for (int n = 0; n < 8; ++n) {
    cells.push_back({13, 32 * n, 0, 32, 32, 32});
    cells.push_back({14, 7 * n, 0, 6, 7, 6});
    cells.push_back({15, 12 * n, 0, 9, 12, 9});
    cells.push_back({17, 40 * n, 0, 40, 40, 40});
    cells.push_back({17, 40 * n, 80, 40, 40, 40});  // the shield item over the bomb item's mask
    cells.push_back({18, 40 * n, 0, 40, 40, 40});
  }
  return cells;
}

TEST_F(ArtTest, MaskedCellsFollowTheMaskConvention) {
  for (const Cell& c : MaskedCells()) {
    const Surface& s = imgchar[c.sheet];
    int opaque = 0, strayColour = 0, greyMask = 0;
    for (int y = 0; y < c.h; ++y)
      for (int x = 0; x < c.w; ++x) {
        const uint32_t mask = s.pixels[(c.maskY + y) * s.width + c.x + x];
        const uint32_t sprite = s.pixels[(c.spriteY + y) * s.width + c.x + x];
        if (mask != 0 && mask != 0xFFFFFF) ++greyMask;
        if (mask == 0xFFFFFF && sprite != 0) ++strayColour;
        if (mask == 0) ++opaque;
      }
    const std::string where =
        "sheet " + std::to_string(c.sheet) + " x " + std::to_string(c.x) + " y " + std::to_string(c.spriteY);
    EXPECT_EQ(greyMask, 0) << where;
    EXPECT_EQ(strayColour, 0) << where;
    EXPECT_GT(opaque, 0) << where << " is empty";
  }
}

TEST_F(ArtTest, GaugeFillAndFlashBandSitWhereTheGameReadsThem) {
  const Surface& g = imgchar[3];
  for (int maskY : {19, 57})
    for (int y = 0; y < 13; ++y)
      for (int x = 102; x < 302; ++x)
        ASSERT_EQ(g.pixels[(maskY + y) * g.width + x], x < 198 ? 0u : 0xFFFFFFu) << x << "," << maskY + y;
  const Surface& f = imgchar[6];
  for (int y = 0; y < 460; ++y)
    for (int x = 350; x < 365; ++x) ASSERT_EQ(f.pixels[y * f.width + x], 0u) << x << "," << y;
  // The flash itself is bright over the whole field.
  EXPECT_GT(f.pixels[0] & 0xFF, 0x80u);
  EXPECT_GT(f.pixels[459 * f.width + 349] & 0xFF, 0x80u);
}

TEST_F(ArtTest, MaskedShipOverBrightGroundKeepsTheGround) {
  std::vector<uint32_t> px(60 * 80, 0xFFF0C0);
  Surface dest{60, 80, px.data()};
  DrawMasked(imgchar[0], 45 * 2, 0, 65, 45, 65, dest, 5, 5);
  const Surface& s = imgchar[0];
  int kept = 0, shown = 0;
  for (int y = 0; y < 65; ++y)
    for (int x = 0; x < 45; ++x) {
      const uint32_t mask = s.pixels[(65 + y) * s.width + 90 + x], sprite = s.pixels[y * s.width + 90 + x];
      const uint32_t got = px[(5 + y) * 60 + 5 + x];
      if (mask == 0xFFFFFF) {
        EXPECT_EQ(got, 0xFFF0C0u) << x << "," << y;
        ++kept;
      } else {
        EXPECT_EQ(got, sprite) << x << "," << y;
        ++shown;
      }
    }
  EXPECT_GT(kept, 0);
  EXPECT_GT(shown, 0);
}

TEST(ArtMap, EveryCellNamesATileAndNeighboursShareCorners) {
  ASSERT_EQ(ReadAll(kBuild + "/Qapo.map").size(), 13122u);
  ASSERT_TRUE(LoadMapFile(kBuild + "/Qapo.map"));
  for (int s = 0; s < 9; ++s)
    for (int r = 0; r < 81; ++r)
      for (int x = 0; x < 9; ++x) {
        const int col = MapByte(s, 2 * x, r), row = MapByte(s, 2 * x + 1, r);
        ASSERT_LT(col, 9) << s << "," << x << "," << r;
        ASSERT_LT(row, 16) << s << "," << x << "," << r;
        // The ground runs on across seams: a cell's right corners are its
        // right neighbour's left corners, its bottom corners those below it.
        const int code = CodeForTileRow(row);
        if (x < 8) {
          const int right = CodeForTileRow(MapByte(s, 2 * x + 3, r));
          EXPECT_EQ(!!(code & kCornerTopRight), !!(right & kCornerTopLeft)) << s << "," << x << "," << r;
          EXPECT_EQ(!!(code & kCornerBottomRight), !!(right & kCornerBottomLeft)) << s << "," << x << "," << r;
        }
        if (r < 80) {
          const int below = CodeForTileRow(MapByte(s, 2 * x + 1, r + 1));
          EXPECT_EQ(!!(code & kCornerBottomLeft), !!(below & kCornerTopLeft)) << s << "," << x << "," << r;
          EXPECT_EQ(!!(code & kCornerBottomRight), !!(below & kCornerTopRight)) << s << "," << x << "," << r;
        }
      }
}

TEST(ArtMap, TitleBackgroundRepeatsEveryFortyRows) {
  // The title scrolls rows 1720..2179 up to 1680..2139 and jumps back.
  ASSERT_TRUE(LoadMapFile(kBuild + "/Qapo.map"));
  for (int r = 1680 / 40; r <= 2180 / 40; ++r)
    for (int c = 0; c < 18; ++c) EXPECT_EQ(MapByte(0, c, r), MapByte(0, c, r + 1)) << c << "," << r;
}

TEST(ArtGenerators, TwoRunsWriteTheSameBytes) {
  const std::string tmp = ::testing::TempDir();
  for (const char* tool : {"gen-map", "gen-sheets"}) {
    const std::string a = tmp + "/art_a_" + tool, b = tmp + "/art_b_" + tool;
    ASSERT_EQ(std::system((kBuild + "/tools/" + tool + " " + a).c_str()), 0) << tool;
    ASSERT_EQ(std::system((kBuild + "/tools/" + tool + " " + b).c_str()), 0) << tool;
    const auto first = ReadAll(a), second = ReadAll(b);
    EXPECT_FALSE(first.empty()) << tool;
    EXPECT_TRUE(first == second) << tool;
  }
  // The sheets the executable carries are those the generator draws.
  const auto carried = ReadAll(kBuild + "/generated/sheets.bin");
  EXPECT_TRUE(carried == ReadAll(tmp + "/art_a_gen-sheets"));
}

}  // namespace
