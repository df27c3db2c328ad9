// The cost of one busy frame of play: every world step and the renderer with
// 26 enemies, 80 enemy bullets, 21 shots and a bomb's band flash; and the
// renderer alone on a crowded scene.
//
//   bench_busy_frame                      run the benchmarks
//   bench_busy_frame --picture FILE.ppm   write one busy frame as a picture,
//                                         drawn with flat stand-in art
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "app/app_state.h"
#include "app/main_loop.h"
#include "platform/surface.h"
#include "presentation/renderer.h"
#include "world/effects.h"
#include "world/items.h"
#include "world/player.h"
#include "world/player_damage.h"
#include "world/shots.h"
#include "world/volleys.h"
#include "world/wave_scripts.h"
#include "world/world_state.h"

namespace {

void FillEnemies() {
  for (int k = 0; k < kEnemySlots; ++k) {
    enemyState[k] = 1;
    enemyKind[k] = uint8_t(k % 9);
    enemyScale[k] = k == 0 ? 2.0f : 1.0f;
    enemyX[k] = float(10 + (k % 7) * 45);
    enemyY[k] = float(20 + (k / 7) * 55);
    enemyHp[k] = 500;
    enemyScore[k] = 100;
    enemyAim[k] = uint8_t(k % 8);
    enemyCarrier[k] = k == 5;
    blastCX[k] = enemyX[k] + 20;
    blastCY[k] = enemyY[k] + 20;
    blastSize[k] = 0;
  }
}

void FillBullets() {
  for (int k = 0; k < kBulletSlots - 1; ++k) {
    bulletKind[k] = uint8_t(1 + k % 3);
    bulletX[k] = float(5 + (k % 16) * 20);
    bulletY[k] = float(230 + (k / 16) * 22);
    const double a = k * 0.7;
    bulletVX[k] = float(3 * std::cos(a));
    bulletVY[k] = float(3 * std::sin(a) + 2);
    bulletBounces[k] = 0;
  }
  nextBulletSlot = 0;
}

void FillShots() {
  for (int k = 0; k < 21; ++k) {
    shotKind[k] = uint8_t(1 + k % 4);
    shotX[k] = float(20 + k * 14);
    shotY[k] = float(60 + (k % 5) * 60);
    sparkX[k] = shotX[k];
    sparkY[k] = shotY[k] + 10;
    sparkTimer[k] = int16_t(8 * (k % 7));
    shotComboCount[k] = 0;
  }
}

// The world in the middle of a bomb's band flash, with everything on screen.
void SetUpBusyFrame() {
  gameMode = 0;
  playerX = 150;
  playerY = 350;
  shield = 2.5f;
  bombs = 2;
  score = 123450;
  scrollPos = -1200;
  stageNo = 3;
  battlePhase = 0;
  chargeLevel = 150;
  chargeGauge = 40;
  fireLatch = -1;
  invulnTimer = 0;
  FillEnemies();
  FillBullets();
  FillShots();
  bombPhase = 2;
  ResetBands();
  for (int k = 0; k < kBandSlots; ++k) {
    bandSize[k] = float(196 - 28 * k);
    blastX[k] = int16_t(40 + 35 * k);
    blastY[k] = int16_t(60 + 45 * k);
  }
  itemState[0] = itemState[1] = 1;
  itemX[0] = 120;
  itemX[1] = 200;
  itemY[0] = itemY[1] = 300;
}

void BM_BusyFrame(benchmark::State& state) {
  SetUpSurfaces();
  for (auto _ : state) {
    SetUpBusyFrame();
    RunWorldSteps();
    RenderFrame();
    benchmark::DoNotOptimize(scrmain.pixels[1000]);
  }
  state.counters["budget_ms"] = kFramePeriodMs;
}
BENCHMARK(BM_BusyFrame)->Unit(benchmark::kMillisecond);

// The renderer alone with all of it on screen at once: 26 enemies, 80
// bullets, 21 shots, sparks, the flash and its bands, and the boss light.
void BM_RenderCrowdedScene(benchmark::State& state) {
  SetUpSurfaces();
  SetUpBusyFrame();
  enemyState[0] = 4;
  enemyScale[0] = 2;
  bossLightW = 350;
  bossLightH = 460;
  for (int k = 1; k < kEnemySlots; k += 3) {
    enemyState[k] = 2;
    blastSize[k] = 45;
  }
  for (auto _ : state) {
    RenderFrame();
    benchmark::DoNotOptimize(scrmain.pixels[1000]);
  }
}
BENCHMARK(BM_RenderCrowdedScene)->Unit(benchmark::kMillisecond);

// ---- The picture --------------------------------------------------------------

// A cell drawn as a flat shape: the sprite holds `colour` inside the shape,
// the mask (at maskY, unless negative) is black there and white elsewhere.
enum class Shape { None, Box, Disc, Ship, Glow };

bool Inside(Shape shape, double u, double v) {  // u, v in 0..1 across the cell
  const double dx = u - 0.5, dy = v - 0.5;
  switch (shape) {
    case Shape::None: return false;
    case Shape::Box: return true;
    case Shape::Disc: return dx * dx + dy * dy <= 0.25;
    case Shape::Ship: return v >= 0.1 && v <= 0.9 && std::fabs(dx) <= 0.45 * (v - 0.1) / 0.8 + 0.05;
    case Shape::Glow: return dx * dx + dy * dy <= 0.25;
  }
  return false;
}

void Cell(int sheet, int x, int y, int w, int h, int maskY, uint32_t colour, Shape shape) {
  Surface& s = imgchar[sheet];
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) {
      const double u = (i + 0.5) / w, v = (j + 0.5) / h;
      const bool in = Inside(shape, u, v);
      uint32_t c = in ? colour : 0;
      if (in && shape == Shape::Glow) {
        // Brighter towards the centre.
        const double d = std::sqrt((u - 0.5) * (u - 0.5) + (v - 0.5) * (v - 0.5)) * 2;
        const double k = 1.0 - d;
        const uint32_t r = uint32_t(((colour >> 16) & 255) * k), g = uint32_t(((colour >> 8) & 255) * k),
                       b = uint32_t((colour & 255) * k);
        c = (r << 16) | (g << 8) | b;
      }
      if (x + i < s.width && y + j < s.height) s.pixels[(y + j) * s.width + x + i] = c;
      if (maskY >= 0 && x + i < s.width && maskY + j < s.height)
        s.pixels[(maskY + j) * s.width + x + i] = in ? 0 : 0xFFFFFF;
    }
}

void PaintStandInArt() {
  for (Surface& sheet : imgchar) ClearSurface(sheet);
  for (int b = 0; b < 6; ++b) Cell(0, 45 * b, 0, 45, 65, 65, b % 2 ? 0x40E070 : 0x30C060, Shape::Ship);
  for (int f = 0; f < 3; ++f) Cell(1, 20 * f, 0, 20, 15, 15, 0x80C0FF, Shape::Disc);
  for (int f = 0; f < 2; ++f) Cell(2, 18 * f, 0, 18, 28, 28, 0x60A0FF, Shape::Disc);
  Cell(3, 0, 0, 102, 19, 19, 0x808080, Shape::Box);
  Cell(3, 3, 3, 96, 13, 22, 0x101010, Shape::Box);
  Cell(3, 102, 0, 96, 13, 19, 0x2060FF, Shape::Box);
  Cell(3, 198, 0, 104, 13, 19, 0x000000, Shape::Box);
  Cell(3, 102, 38, 96, 13, 57, 0xFF8020, Shape::Box);
  Cell(3, 198, 38, 104, 13, 57, 0x000000, Shape::None);  // the empty part lets the first stage show
  Cell(4, 0, 0, 40, 40, -1, 0xFFFFE0, Shape::Glow);
  for (int b = 0; b < 6; ++b) Cell(5, 45 * b, 0, 45, 65, -1, 0x303060, Shape::Ship);
  Cell(6, 0, 0, 350, 460, -1, 0x282828, Shape::Box);
  Cell(7, 0, 0, 20, 20, 20, 0x404040, Shape::Disc);
  Cell(7, 20, 0, 20, 20, 20, 0x40FFFF, Shape::Disc);
  Cell(7, 40, 4, 20, 12, 24, 0xFF60C0, Shape::Disc);
  Cell(7, 80, 4, 20, 12, 24, 0xFF90E0, Shape::Disc);
  Cell(7, 60, 0, 20, 20, 20, 0xFF8000, Shape::Disc);
  Cell(7, 100, 0, 20, 20, 20, 0xFFB040, Shape::Disc);
  Cell(7, 120, 0, 20, 20, 20, 0x80FF40, Shape::Disc);
  Cell(7, 140, 0, 20, 20, 20, 0xB0FF80, Shape::Disc);
  Cell(8, 0, 0, 40, 40, -1, 0xFFA040, Shape::Glow);
  for (int k = 0; k < 10; ++k) {
    const uint32_t c = 0x800000u | uint32_t(k * 20) << 8 | uint32_t(200 - k * 15);
    Cell(8, 40 + 80 * k, 0, 40, 40, 40, c, Shape::Disc);
    Cell(8, 80 + 80 * k, 0, 40, 40, 40, c | 0x404040, Shape::Disc);
  }
  Cell(12, 0, 0, 700, 920, -1, 0x303000, Shape::Box);
  for (int n = 0; n < 8; ++n) Cell(13, 32 * n, 0, 32, 32, 32, 0xFFD700, Shape::Disc);
  for (int n = 0; n < 8; ++n) Cell(14, 7 * n, 0, 7, 6, 6, 0xFFFF40, Shape::Box);
  for (int n = 0; n < 8; ++n) Cell(15, 12 * n, 0, 12, 9, 9, 0xFFFF40, Shape::Box);
  for (int f = 0; f < 2; ++f) Cell(16, 17 * f, 0, 17, 18, 18, 0xA0FFFF, Shape::Disc);
  for (int n = 0; n < 8; ++n) {
    Cell(17, 40 * n, 0, 40, 40, 40, 0xE04040, Shape::Disc);
    Cell(17, 40 * n, 80, 40, 40, -1, 0x4080FF, Shape::Disc);
  }
  // A background of dark tiles.
  for (int y = 0; y < kBackHeight; ++y)
    for (int x = 0; x < kBackWidth; ++x)
      scrback.pixels[y * kBackWidth + x] = ((x / 40 + y / 40) & 1) ? 0x101828 : 0x0C1220;
}

bool WritePicture(const char* path) {
  SetUpSurfaces();
  PaintStandInArt();
  SetUpBusyFrame();
  // A blast ring rather than the flash, so that the bullets stay on screen.
  bombPhase = 1;
  bombX = 60;
  bombY = 380;
  bombRadius = bombRadius2 = 132;
  // Mostly normal shots, one of each charged kind.
  for (int k = 0; k < 21; ++k) shotKind[k] = 1;
  shotKind[6] = 2;
  shotKind[10] = 3;
  shotKind[17] = 4;
  // A few of the enemies are exploding; turrets look at the ship.
  for (int k = 3; k < kEnemySlots; k += 5) {
    enemyState[k] = 2;
    blastSize[k] = 45;
  }
  UpdateEffects();
  RenderFrame();
  std::FILE* f = std::fopen(path, "wb");
  if (!f) return false;
  std::fprintf(f, "P6\n%d %d\n255\n", scrmain.width, scrmain.height);
  for (int i = 0; i < scrmain.width * scrmain.height; ++i) {
    const uint32_t p = scrmain.pixels[i];
    const unsigned char rgb[3] = {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)};
    std::fwrite(rgb, 1, 3, f);
  }
  return std::fclose(f) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--picture") == 0) return WritePicture(argv[2]) ? 0 : 1;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
