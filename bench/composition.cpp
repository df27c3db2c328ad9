// One busy frame of drawing on scrmain, timed against a plain copy of a frame.
// Prints the median microseconds per frame and the ratio; asserts nothing.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/blit.h"
#include "platform/surface.h"

namespace {

using Clock = std::chrono::steady_clock;

// The frame's parts in drawing order, each timed on its own in the breakdown.
void ClearPart(int) { ClearSurface(scrmain); }

void BackgroundPart(int frame) { BlitCopy(scrback, 0, 1720 - frame % 40, 330, 460, scrmain, 0, 0); }

// 120 masked 40 x 40 sprites from the ship sheet (sprites above, masks below).
void SpritesPart(int frame) {
  for (int i = 0; i < 120; ++i) {
    const double x = (i * 37 + frame * 3) % 300 - 5, y = (i * 53 + frame * 2) % 450 - 5;
    DrawMasked(imgchar[kShipSheet], (i % 18) * 45, 0, 65, 40, 40, scrmain, x, y);
  }
}

// Two full-screen light passes stretched from small sources.
void NarrowLightPart(int) { StretchOr(imgchar[kFlashSheet], 350, 0, 332, 478, scrmain, 0, 0, 15, 460); }
void WideLightPart(int) { StretchOr(imgchar[kItemSheet], 0, 0, 332, 478, scrmain, 0, 0, 320, 120); }

// 20 stretched glows.
void GlowsPart(int frame) {
  for (int i = 0; i < 20; ++i) {
    const double size = 40 + (i * 7 + frame) % 60;
    StretchOr(imgchar[kRoundGlowSheet], 0, 0, size, size, scrmain, (i * 61) % 300, (i * 97) % 440, 40, 40);
  }
}

// Six texts.
void TextsPart(int) {
  PrintText(4, 4, 10, 15, "SCORE 0012345");
  PrintText(200, 4, 10, 14, "HI 0050000");
  PrintText(4, 440, 10, 11, "SHIELD 3  BOMB 2");
  PrintText(120, 200, 20, 12, "STAGE 1");
  PrintTextRgb(60, 240, 12, 255, 255, 0, "ハイスコアです！");
  PrintText(250, 460, 9, 7, "23.2 fps");
}

struct Part {
  const char* name;
  void (*draw)(int frame);
};
constexpr Part kParts[] = {{"clear", ClearPart},
                           {"background copy 330x460", BackgroundPart},
                           {"120 masked sprites", SpritesPart},
                           {"stretch 15x460 to 332x478", NarrowLightPart},
                           {"stretch 320x120 to 332x478", WideLightPart},
                           {"20 stretched glows", GlowsPart},
                           {"6 texts", TextsPart}};
constexpr int kPartCount = int(sizeof kParts / sizeof kParts[0]);

void BusyFrame(int frame) {
  for (const Part& part : kParts) part.draw(frame);
}

double MedianUs(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main() {
  SetUpSurfaces();
  for (int i = 0; i < kBackWidth * kBackHeight; ++i) scrback.pixels[i] = uint32_t(i * 2654435761u) & 0xFFFFFF;
  constexpr int kFrames = 400;
  constexpr int kCopies = 4000;

  static uint32_t copyTarget[kScreenWidth * kScreenHeight];
  std::vector<double> frameUs, copyUs;
  for (int round = 0; round < 3; ++round) {     // interleaved so both see the same machine
    for (int f = 0; f < 30; ++f) BusyFrame(f);  // warm: glyphs cached, pages touched
    for (int f = 0; f < kFrames; ++f) {
      const auto t0 = Clock::now();
      BusyFrame(f);
      frameUs.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
    }
    for (int c = 0; c < kCopies; ++c) {
      const auto t0 = Clock::now();
      std::memcpy(copyTarget, scrmain.pixels, sizeof copyTarget);
      asm volatile("" : : "r"(copyTarget) : "memory");
      copyUs.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
    }
  }
  // Breakdown: the same frames again, each part timed on its own.
  std::vector<double> partUs[kPartCount];
  for (int f = 0; f < kFrames; ++f) {
    for (int p = 0; p < kPartCount; ++p) {
      const auto t0 = Clock::now();
      kParts[p].draw(f);
      partUs[p].push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
    }
  }
  const double frame = MedianUs(frameUs), copy = MedianUs(copyUs);
  for (int p = 0; p < kPartCount; ++p) {
    std::printf("  %-28s median %6.1f us\n", kParts[p].name, MedianUs(partUs[p]));
  }
  std::printf("busy frame: median %.1f us (%d frames)\n", frame, int(frameUs.size()));
  std::printf("memcpy of a 332x478x4 frame: median %.2f us\n", copy);
  std::printf("ratio: %.1fx (goal <= 12x, limit 25x)\n", frame / copy);
  return 0;
}
