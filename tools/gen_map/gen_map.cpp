// Writes the stage map "Qapo.map": for each of the nine backgrounds, 81 rows
// of 9 cells, each cell two bytes (tile column, tile row of sheet 9); the byte
// for (stage s, byte column c, row r) lies at s + 9 * (c + 18 * r).
//
// Each background is laid out on a grid of 10 x 82 corners, each corner on the
// low or the raised ground of its theme; a cell takes the tile of its four
// corners. Row 80 is where a stage begins (the bottom), row 0 where it ends.
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "../gen_sheets/tile_codes.h"

namespace {

constexpr int kStages = 9, kRows = 81, kCells = 9;
constexpr int kCornerCols = kCells + 1, kCornerRows = kRows + 1;

enum class Layout : uint8_t {
  Shores,  // raised ground along the left and right edges and in scattered patches
  Blocks,  // raised blocks between a grid of low lanes
};

// One waypoint of a stage's journey: at corner row `row`, the raised ground
// reaches `left` and `right` corners in from the edges, and `patches` of the
// open middle (0..1) is raised. Values blend between waypoints.
struct Waypoint {
  int row;
  double left, right, patches;
};

struct Journey {
  Layout layout;
  int seed;
  Waypoint points[6];
};

// clang-format off
constexpr Journey kJourneys[kStages] = {
  // title: steady walls either side of the 330 px view, the same on every row
  {Layout::Shores, 0, {{0, 0.5, 1.2, 0}, {81, 0.5, 1.2, 0}, {81, 0.5, 1.2, 0}, {81, 0.5, 1.2, 0}, {81, 0.5, 1.2, 0}, {81, 0.5, 1.2, 0}}},
  // 1: a coast, the open sea with islands, then a harbour mouth
  {Layout::Shores, 11, {{0, 3.8, 3.2, 0.02}, {14, 2.6, 2.2, 0.04}, {30, 0.2, 0.0, 0.14}, {50, 0.0, 0.0, 0.10}, {66, 2.8, 0.0, 0.04}, {81, 5.2, 0.6, 0.0}}},
  // 2: meadows, deep forest, a clearing
  {Layout::Shores, 23, {{0, 0.5, 0.5, 0.15}, {16, 2.0, 1.5, 0.35}, {34, 3.5, 3.5, 0.75}, {52, 2.0, 2.5, 0.45}, {68, 0.5, 1.0, 0.25}, {81, 0.0, 0.0, 0.1}}},
  // 3: open dunes, mesas, then a canyon
  {Layout::Shores, 37, {{0, 4.0, 3.6, 0.0}, {16, 3.2, 3.0, 0.05}, {32, 1.5, 2.0, 0.2}, {50, 0.5, 0.5, 0.18}, {66, 0.0, 0.2, 0.08}, {81, 0.0, 0.0, 0.04}}},
  // 4: a snowfield breaking up into an ice sea, then a glacier
  {Layout::Shores, 41, {{0, 3.0, 3.0, 0.5}, {18, 1.5, 1.5, 0.3}, {36, 0.0, 0.0, 0.18}, {52, 0.5, 0.5, 0.3}, {66, 2.0, 2.0, 0.55}, {81, 4.0, 4.0, 0.8}}},
  // 5: the city, denser towards its centre
  {Layout::Blocks, 53, {{0, 0, 0, 0.55}, {20, 0, 0, 0.9}, {40, 0, 0, 0.95}, {60, 0, 0, 0.8}, {72, 0, 0, 0.45}, {81, 0, 0, 0.3}}},
  // 6: rock plains cut by lava rivers, a lava lake, the crater walls
  {Layout::Shores, 67, {{0, 3.6, 3.6, 0.1}, {14, 2.8, 2.4, 0.12}, {30, 0.6, 0.8, 0.15}, {48, 1.0, 1.2, 0.45}, {66, 2.0, 2.0, 0.7}, {81, 3.0, 3.0, 0.85}}},
  // 7: the fortress hull, its pits opening wider towards the core
  {Layout::Blocks, 79, {{0, 0, 0, 0.35}, {20, 0, 0, 0.5}, {40, 0, 0, 0.7}, {60, 0, 0, 0.85}, {72, 0, 0, 0.95}, {81, 0, 0, 1.0}}},
  // 8: an asteroid field thinning out into deep space
  {Layout::Shores, 97, {{0, 0.0, 0.0, 0.0}, {12, 0.0, 0.0, 0.04}, {26, 0.4, 0.0, 0.14}, {44, 0.8, 0.6, 0.22}, {62, 0.0, 0.6, 0.12}, {81, 0.0, 0.0, 0.06}}},
};
// clang-format on

uint32_t Hash(int x, int y, int seed) {
  uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + uint32_t(seed) * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return h ^ (h >> 16);
}
double Hash01(int x, int y, int seed) { return (Hash(x, y, seed) & 0xFFFFFFu) / double(0x1000000); }

// Smooth value noise over the corner grid, one lattice point every 3 corners.
double Noise(double x, double y, int seed) {
  const double fx = x / 3, fy = y / 3;
  const int ix = int(std::floor(fx)), iy = int(std::floor(fy));
  const double tx = fx - ix, ty = fy - iy;
  const double sx = tx * tx * (3 - 2 * tx), sy = ty * ty * (3 - 2 * ty);
  const double a = Hash01(ix, iy, seed) + (Hash01(ix + 1, iy, seed) - Hash01(ix, iy, seed)) * sx;
  const double b = Hash01(ix, iy + 1, seed) + (Hash01(ix + 1, iy + 1, seed) - Hash01(ix, iy + 1, seed)) * sx;
  return a + (b - a) * sy;
}

Waypoint At(const Journey& j, int row) {
  const Waypoint* p = j.points;
  for (int i = 0; i + 1 < 6; ++i)
    if (row <= p[i + 1].row) {
      const double span = p[i + 1].row - p[i].row;
      const double t = span > 0 ? (row - p[i].row) / span : 0;
      return {row, p[i].left + (p[i + 1].left - p[i].left) * t, p[i].right + (p[i + 1].right - p[i].right) * t,
              p[i].patches + (p[i + 1].patches - p[i].patches) * t};
    }
  return p[5];
}

bool Raised(int stage, int cx, int cy) {
  const Journey& j = kJourneys[stage];
  const Waypoint w = At(j, cy);
  if (stage == 0) return cx < w.left || cx > kCornerCols - 1 - w.right;  // identical rows: a 40 px loop
  if (j.layout == Layout::Blocks) {
    // Low lanes every fifth corner column and every sixth row; blocks between.
    if (cx % 5 == 2 || cy % 6 == 0) return false;
    return Hash01(cx / 5, cy / 6, j.seed) < w.patches && Noise(cx, cy, j.seed + 1) > 0.18;
  }
  const double wobble = 1.6 * (Noise(cx, cy, j.seed) - 0.5);
  if (cx < w.left + wobble || cx > kCornerCols - 1 - (w.right - wobble)) return true;
  // Spread the noise over 0..1 so that `patches` is roughly the raised share.
  const double n = (Noise(cx * 1.3, cy * 1.3, j.seed + 7) - 0.22) / 0.56;
  return n < w.patches;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: gen-map Qapo.map\n");
    return 2;
  }
  static uint8_t map[kStages * 2 * kCells * kRows] = {};
  static_assert(sizeof map == 13122, "the map file's size");
  for (int s = 0; s < kStages; ++s) {
    bool corner[kCornerRows][kCornerCols];
    for (int cy = 0; cy < kCornerRows; ++cy)
      for (int cx = 0; cx < kCornerCols; ++cx) corner[cy][cx] = Raised(s, cx, cy);
    for (int r = 0; r < kRows; ++r)
      for (int x = 0; x < kCells; ++x) {
        const int code = (corner[r][x] ? kCornerTopLeft : 0) | (corner[r][x + 1] ? kCornerTopRight : 0) |
                         (corner[r + 1][x] ? kCornerBottomLeft : 0) |
                         (corner[r + 1][x + 1] ? kCornerBottomRight : 0);
        map[s + kStages * (2 * x + 2 * kCells * r)] = uint8_t(s);
        map[s + kStages * (2 * x + 1 + 2 * kCells * r)] = uint8_t(TileRowForCode(code));
      }
  }
  std::FILE* f = std::fopen(argv[1], "wb");
  if (!f) return 1;
  const bool ok = std::fwrite(map, 1, sizeof map, f) == sizeof map;
  return (std::fclose(f) == 0 && ok) ? 0 : 1;
}
