// Placeholder map: every stage uses the tile of its own column, row 0.
#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  unsigned char map[13122] = {};
  for (int r = 0; r < 81; ++r)
    for (int c = 0; c < 18; ++c)
      for (int s = 0; s < 9; ++s) map[s + 9 * (c + 18 * r)] = (c % 2 == 0) ? s : (r % 16);
  std::FILE* f = std::fopen(argv[1], "wb");
  if (!f) return 1;
  std::fwrite(map, 1, sizeof map, f);
  return std::fclose(f) == 0 ? 0 : 1;
}
