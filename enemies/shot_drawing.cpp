#include "enemies/shot_drawing.h"

#include "platform/blit.h"
#include "platform/surface.h"
#include "world/world_state.h"

namespace {

struct ShotLook {
  double width, height;     // drawn size
  double offsetX, offsetY;  // from the shot's corner
};
// clang-format off
constexpr ShotLook kChargedLooks[3] = {
    // kind 2: as it is on the sheet
    { 18,  28,  13, -12},
    // kind 3: four times the size
    { 72, 112, -14,  -8},
    // kind 4: seven times the size
    {126, 196, -40, -70},
};
// clang-format on

}  // namespace

void DrawPlayerShots() {
  if (chargeLevel > 12.0f && fireLatch == -1) {
    const double frameX = 20.0 * animPhase3;
    StretchMasked(imgchar[kChargeGlowSheet], frameX, 0, 15, 35, 23, scrmain, double(playerX) + 4.0,
                  double(playerY) - 25.0, 20, 15);
  }
  for (int k = 0; k < kShotSlots; ++k) {
    const uint8_t kind = shotKind[k];
    const double x = shotX[k], y = shotY[k];
    if (kind == kShotNormal) {
      DrawMasked(imgchar[kNormalShotSheet], 17.0 * blinkPhase, 0, 18, 17, 18, scrmain, x + 13.0, y - 8.0);
    } else if (kind >= kShotChargedLow && kind <= kShotChargedHigh) {
      const ShotLook& look = kChargedLooks[kind - kShotChargedLow];
      StretchMasked(imgchar[kChargedShotSheet], 18.0 * blinkPhase, 0, 28, look.width, look.height, scrmain,
                    x + look.offsetX, y + look.offsetY, 18, 28);
    }
  }
}
