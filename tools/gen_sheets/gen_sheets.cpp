// Placeholder sheets of the right sizes: a grey cell grid, masks all
// transparent. The real art is being drawn.
#include <cstdio>
#include <cstdint>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const int sizes[19][2] = {{810, 130}, {60, 30},  {36, 56},   {305, 70}, {40, 40},  {270, 65},  {365, 460},
                            {180, 40},  {840, 80}, {360, 640}, {264, 44}, {259, 92}, {700, 920}, {256, 64},
                            {56, 12},   {96, 18},  {34, 36},   {320, 120}, {320, 80}};
  std::FILE* f = std::fopen(argv[1], "wb");
  if (!f) return 1;
  for (const auto& s : sizes) {
    const int w = s[0], h = s[1];
    const unsigned char hdr[4] = {uint8_t(w), uint8_t(w >> 8), uint8_t(h), uint8_t(h >> 8)};
    std::fwrite(hdr, 1, 4, f);
    std::vector<unsigned char> px(size_t(w) * h * 4);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const uint8_t v = ((x / 20 + y / 20) & 1) ? 0x60 : 0x30;
        unsigned char* p = &px[(size_t(y) * w + x) * 4];
        p[0] = v; p[1] = v; p[2] = v; p[3] = 0;
      }
    std::fwrite(px.data(), 1, px.size(), f);
  }
  return std::fclose(f) == 0 ? 0 : 1;
}
