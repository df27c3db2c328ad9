#include "world/player_damage.h"

#include "app/app_state.h"
#include "platform/sound_effects.h"
#include "world/items.h"
#include "world/world_state.h"

namespace {

// Strict overlap of two boxes given by their edges.
bool Overlaps(double aLeft, double aRight, double aTop, double aBottom, double bLeft, double bRight, double bTop,
              double bBottom) {
  return aRight > bLeft && aLeft < bRight && aBottom > bTop && aTop < bBottom;
}

bool ShipVulnerable() { return invulnTimer == 0 && gameMode == kModePlay && bombPhase == kBombNone; }

// The enemy's body is three rectangles, in units of its scale.
bool ShipTouchesEnemy(int e) {
  // clang-format off
  static constexpr double kBody[3][4] = {
      // left right top bottom
      {10, 31, 11, 30},
      { 5, 35, 17, 23},
      {15, 25,  9, 31},
  };
  // clang-format on
  const double px = playerX, py = playerY;
  const double s = enemyScale[e], ex = enemyX[e], ey = enemyY[e];
  for (const auto& r : kBody) {
    if (Overlaps(px + 12.0, px + 33.0, py + 20.0, py + 50.0, ex + r[0] * s, ex + r[1] * s, ey + r[2] * s,
                 ey + r[3] * s))
      return true;
  }
  return false;
}

bool ShipTouchesBullet(int b) {
  const double px = playerX, py = playerY, bx = bulletX[b], by = bulletY[b];
  switch (bulletKind[b]) {
    case kBulletSmall:
    case kBulletBouncing:
      return Overlaps(px + 17.0, px + 28.0, py + 22.0, py + 42.0, bx + 8.0, bx + 12.0, by + 8.0, by + 12.0);
    case kBulletLarge:
      return Overlaps(px + 16.0, px + 29.0, py + 20.0, py + 46.0, bx + 6.0, bx + 14.0, by + 1.0, by + 19.0);
    default: return false;
  }
}

void DamageShip() {
  if (easyMode == 0) {
    chargeLevel = 0.0f;
    chargeGauge = 0.0f;
  }
  if (shield > 0.0f) {
    if (easyMode == 0) {
      shield -= 1.0f;
    } else if (easyMode == 1) {
      shield -= 0.5f;
    }
    invulnTimer = 1;
    RaiseSoundEffect(SoundEffect::ShieldHit);
  } else if (shield == 0.0f) {
    gameMode = kModeDeathFadeOut;
    deathFade = uint8_t(deathFade + 20);
    RaiseSoundEffect(SoundEffect::ShipDestroyed);
  }
}

}  // namespace

void CheckEnemyContact() {
  for (loopSlot = 0; loopSlot < kEnemySlots; ++loopSlot) {
    const int e = loopSlot;
    // A free slot keeps its stale hit points and position; it is no body.
    if (enemyState[e] == kEnemyFree || !(enemyHp[e] > 0.0f) || !ShipVulnerable()) continue;
    if (ShipTouchesEnemy(e)) DamageShip();
  }
}

void CheckBulletHits() {
  for (loopSlot = 0; loopSlot < kBulletSlots; ++loopSlot) {
    const int b = loopSlot;
    if (!ShipVulnerable()) continue;
    if (ShipTouchesBullet(b)) {
      bulletKind[b] = kBulletFree;
      DamageShip();
    }
  }
  CheckCapsulePickup();
}
