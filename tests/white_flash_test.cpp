#include "presentation/white_flash.h"

#include <gtest/gtest.h>

#include "app/settings.h"
#include "platform/blit.h"
#include "platform/surface.h"
#include "tests/support/game_fixture.h"

namespace {

using WhiteFlashTest = GameTest;

// The flash sheet ORed over a grey picture: whole by default, at a quarter
// with "reduce flashing"; only the 350 x 460 flash area is touched.
TEST_F(WhiteFlashTest, ReduceFlashingDrawsAQuarterOfTheFlash) {
  struct Case {
    int32_t reduce;
    uint32_t inside;
  };
  for (const Case& c : {Case{0, 0xFFFFFF}, Case{1, 0x3F3F3F | 0x202020}}) {
    SCOPED_TRACE(c.reduce);
    SetDefaultSettings();
    settingValues[kSettingReduceFlashing] = c.reduce;
    for (int i = 0; i < imgchar[6].width * imgchar[6].height; ++i) imgchar[6].pixels[i] = 0xFFFFFF;
    for (int i = 0; i < kScreenWidth * kScreenHeight; ++i) scrmain.pixels[i] = 0x202020;
    DrawWhiteFlash(imgchar[6]);
    EXPECT_EQ(scrmain.pixels[0], c.inside);
    EXPECT_EQ(scrmain.pixels[459 * kScreenWidth + 331], c.inside);
    EXPECT_EQ(scrmain.pixels[460 * kScreenWidth], 0x202020u) << "below the flash";
  }
}

}  // namespace
