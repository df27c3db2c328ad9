#include "platform/surface.h"

#include <algorithm>
#include <cstring>

#include "platform/backend.h"
#include "platform/blit.h"
#include "platform/machine.h"
#include "platform/screenshot.h"
#include "platform/sheets.h"

namespace {
// The pixel stores start on large-page boundaries so that they can be backed
// by 2 MiB pages: a sprite's rows lie a whole surface row apart, and with
// small pages nearly every row drawn is another address translation.
// (A Windows object file aligns to 8 KiB at most, and Windows gives large
// pages only to privileged programs: there, page boundaries.)
#ifdef _WIN32
constexpr size_t kLargePage = 4096;
#else
constexpr size_t kLargePage = size_t(2) << 20;
#endif

alignas(kLargePage) uint32_t gScreenPixels[kScreenWidth * kScreenHeight];
alignas(kLargePage) uint32_t gBackPixels[kBackWidth * kBackHeight];

alignas(kLargePage) uint32_t gSheetPixels[SheetsArea()];
}  // namespace

Surface scrmain;
Surface scrback;
Surface imgchar[kSheetCount];

bool SetUpSurfaces() {
  platform::AdviseLargePages(gScreenPixels, sizeof gScreenPixels);
  platform::AdviseLargePages(gBackPixels, sizeof gBackPixels);
  platform::AdviseLargePages(gSheetPixels, sizeof gSheetPixels);
  scrback = Surface{kBackWidth, kBackHeight, gBackPixels};
  ClearSurface(scrback);
  scrmain = Surface{kScreenWidth, kScreenHeight, gScreenPixels};
  ClearSurface(scrmain);

  const unsigned char* p = tessivane_sheets_begin;
  const unsigned char* end = tessivane_sheets_end;
  uint32_t* store = gSheetPixels;
  bool ok = true;
  for (int i = 0; i < kSheetCount; ++i) {
    const int w = kSheets[i].width, h = kSheets[i].height;
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
  if (s.pixels && !DrawingSkipped()) std::memset(s.pixels, 0, size_t(s.width) * s.height * sizeof(uint32_t));
}

void DarkenArea(Surface& s, int x0, int y0, int x1, int y1) {
  if (!s.pixels) return;
  for (int y = std::max(0, y0); y < std::min(s.height, y1); ++y)
    for (int x = std::max(0, x0); x < std::min(s.width, x1); ++x) {
      uint32_t& p = s.pixels[y * s.width + x];
      p = (p >> 2) & 0x3F3F3Fu;
    }
}

void RefreshScreen() {
  if (machine::ShouldPresent()) PresentWithNotice(scrmain);
}
