#include "presentation/white_flash.h"

#include <algorithm>

#include "app/settings.h"
#include "platform/blit.h"

void DrawWhiteFlash(const Surface& sheet) {
  constexpr int kFlashWidth = 350, kFlashHeight = 460;
  if (Setting(kSettingReduceFlashing) == 0) {
    BlitOr(sheet, 0, 0, kFlashWidth, kFlashHeight, scrmain, 0, 0);
    return;
  }
  if (!sheet.pixels || !scrmain.pixels) return;
  const int w = std::min({kFlashWidth, sheet.width, scrmain.width});
  const int h = std::min({kFlashHeight, sheet.height, scrmain.height});
  for (int y = 0; y < h; ++y) {
    const uint32_t* src = sheet.pixels + size_t(y) * sheet.width;
    uint32_t* dst = scrmain.pixels + size_t(y) * scrmain.width;
    for (int x = 0; x < w; ++x) dst[x] |= (src[x] >> 2) & 0x3F3F3F;
  }
}
