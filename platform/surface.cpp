#include "platform/surface.h"

#include <cstring>

#include <sys/mman.h>

#include "platform/backend.h"
#include "platform/machine.h"
#include "platform/sheets.h"

namespace {
// The pixel stores start on large-page boundaries so that they can be backed
// by 2 MiB pages: a sprite's rows lie a whole surface row apart, and with
// small pages nearly every row drawn is another address translation.
constexpr size_t kLargePage = size_t(2) << 20;

alignas(kLargePage) uint32_t gScreenPixels[kScreenWidth * kScreenHeight];
alignas(kLargePage) uint32_t gBackPixels[kBackWidth * kBackHeight];

// Sum of the sheets' areas, so that their pixels live in one fixed block.
constexpr int SheetArea() {
  constexpr int sizes[kSheetCount][2] = {{810, 130}, {60, 30},  {36, 56},   {305, 70}, {40, 40},
                                         {270, 65},  {365, 460}, {180, 40},  {840, 80}, {360, 640},
                                         {264, 44},  {259, 92},  {700, 920}, {256, 64}, {56, 12},
                                         {96, 18},   {34, 36},   {320, 120}, {320, 80}};
  int total = 0;
  for (const auto& s : sizes) total += s[0] * s[1];
  return total;
}
alignas(kLargePage) uint32_t gSheetPixels[SheetArea()];

// Asks the kernel for large pages behind a pixel store (advice only: where
// it is refused, small pages serve as before).
void AdviseLargePages(void* start, size_t bytes) {
#ifdef MADV_HUGEPAGE
  madvise(start, (bytes + kLargePage - 1) / kLargePage * kLargePage, MADV_HUGEPAGE);
#endif
}
}  // namespace

Surface scrmain;
Surface scrback;
Surface imgchar[kSheetCount];

const SheetSize kSheetSizes[kSheetCount] = {
    {810, 130}, {60, 30},  {36, 56},   {305, 70}, {40, 40},  {270, 65},  {365, 460},
    {180, 40},  {840, 80}, {360, 640}, {264, 44}, {259, 92}, {700, 920}, {256, 64},
    {56, 12},   {96, 18},  {34, 36},   {320, 120}, {320, 80}};

bool SetUpSurfaces() {
  AdviseLargePages(gScreenPixels, sizeof gScreenPixels);
  AdviseLargePages(gBackPixels, sizeof gBackPixels);
  AdviseLargePages(gSheetPixels, sizeof gSheetPixels);
  scrback = Surface{kBackWidth, kBackHeight, gBackPixels};
  ClearSurface(scrback);
  scrmain = Surface{kScreenWidth, kScreenHeight, gScreenPixels};
  ClearSurface(scrmain);

  const unsigned char* p = tessivane_sheets_begin;
  const unsigned char* end = tessivane_sheets_end;
  uint32_t* store = gSheetPixels;
  bool ok = true;
  for (int i = 0; i < kSheetCount; ++i) {
    const int w = kSheetSizes[i].width, h = kSheetSizes[i].height;
    imgchar[i] = Surface{w, h, store};
    store += w * h;
    if (!ok || end - p < 4) {
      ok = false;
      ClearSurface(imgchar[i]);
      continue;
    }
    const int fw = p[0] | (p[1] << 8), fh = p[2] | (p[3] << 8);
    p += 4;
    const size_t bytes = size_t(fw) * fh * 4;
    if (fw != w || fh != h || size_t(end - p) < bytes) {
      ok = false;
      ClearSurface(imgchar[i]);
      continue;
    }
    for (int k = 0; k < w * h; ++k, p += 4) {
      imgchar[i].pixels[k] = (uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16)) & 0xFFFFFFu;
    }
  }
  return ok;
}

void ClearSurface(Surface& s) {
  if (s.pixels) std::memset(s.pixels, 0, size_t(s.width) * s.height * sizeof(uint32_t));
}

void RefreshScreen() {
  if (machine::ShouldPresent()) platform::PresentScreen(scrmain);
}
