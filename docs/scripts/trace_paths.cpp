// Build against a configured build folder (not part of the build):
//   c++ -O1 -std=c++17 -I. docs/scripts/trace_paths.cpp build/tests/libtessivane_test_support.a \
//     -Wl,--start-group build/libtessivane_core.a build/tools/gen_sheets/libtessivane_sheets.a \
//     build/libtessivane_platform_headless.a build/libtessivane_text.a -lSDL2_ttf -lSDL2 -Wl,--end-group \
//     -lgtest -lpthread -o trace_paths
//   ./trace_paths 1 2 150    # writes w1.ppm, w2.ppm, w150.ppm
// Draws each formation's enemy paths (coloured by slot) and bullets (grey) as a PPM.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "enemies/wave_table.h"
#include "platform/random.h"
#include "tests/support/game_fixture.h"
#include "world/volleys.h"
#include "world/wave_scripts.h"
#include "world/world_state.h"
int main(int argc, char** argv) {
  const int M = 60, W = 330 + 2 * M, H = 460 + 2 * M;
  for (int a = 1; a < argc; ++a) {
    int w = atoi(argv[a]);
    ResetEverything();
    Randomize(w);
    playerX = 150;
    playerY = 380;
    if (w >= 150) {
      stageNo = w - 149;
      SpawnBoss();
    } else {
      stageNo = (w + 20) / 20;
      wave = w;
      SpawnWave();
    }
    std::vector<unsigned char> img(W * H * 3, 0);
    auto put = [&](double x, double y, int r, int g, int b) {
      int ix = int(x) + M, iy = int(y) + M;
      if (ix < 0 || iy < 0 || ix >= W || iy >= H) return;
      unsigned char* p = &img[(iy * W + ix) * 3];
      p[0] = r;
      p[1] = g;
      p[2] = b;
    };
    for (int x = 0; x < 330; ++x) {
      put(x, 0, 80, 80, 80);
      put(x, 459, 80, 80, 80);
    }
    for (int y = 0; y < 460; ++y) {
      put(0, y, 80, 80, 80);
      put(329, y, 80, 80, 80);
    }
    for (int x = 0; x < 44; ++x)
      for (int y = 0; y < 44; ++y) put(playerX + x, playerY + y, 0, 0, 120);
    int frames = w >= 150 ? 1500 : 1500;
    int f = 0;
    for (; f < frames; ++f) {
      bool busy = false;
      for (int k = 0; k < 26; ++k) busy |= enemyState[k] == 1;
      if (!busy) break;
      RunWaveBehaviour();
      MoveBulletsAndItems();
      for (int b = 0; b < 81; ++b)
        if (bulletKind[b]) put(bulletX[b] + 10, bulletY[b] + 10, 110, 110, 110);
      for (int k = 0; k < 26; ++k)
        if (enemyState[k] == 1) {
          double s = enemyScale[k];
          int c = k * 37;
          put(enemyX[k] + 20 * s, enemyY[k] + 20 * s, 255 - (c % 200), 80 + (c * 3) % 175, 80 + (c * 7) % 175);
        }
    }
    std::string name = "w" + std::to_string(w) + ".ppm";
    FILE* out = fopen(name.c_str(), "wb");
    fprintf(out, "P6 %d %d 255\n", W, H);
    fwrite(img.data(), 1, img.size(), out);
    fclose(out);
    printf("wave %d: %d frames\n", w, f);
  }
}
