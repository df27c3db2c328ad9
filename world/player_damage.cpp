#include "world/player_damage.h"

#include "app/app_state.h"
#include "platform/sound_effects.h"
#include "world/items.h"
#include "world/world_state.h"

namespace {

// The enemy's body is three rectangles, in units of its scale.
// clang-format off
constexpr HitBox kEnemyBody[3] = {
    // left right top bottom
    {10, 31, 11, 30},
    { 5, 35, 17, 23},
    {15, 25,  9, 31},
};
// clang-format on
// The ship's box against enemy bodies, from its sprite's top left corner.
constexpr HitBox kShipAgainstEnemies = {12, 33, 20, 50};
// Small and bouncing bullets, and the ship's box against them.
constexpr HitBox kSmallBullet = {8, 12, 8, 12};
constexpr HitBox kShipAgainstSmallBullets = {17, 28, 22, 42};
// Large bullets, and the ship's box against them.
constexpr HitBox kLargeBullet = {6, 14, 1, 19};
constexpr HitBox kShipAgainstLargeBullets = {16, 29, 20, 46};

HitBox Placed(const HitBox& box, double x, double y) {
  return {x + box.left, x + box.right, y + box.top, y + box.bottom};
}

HitBox PlacedScaled(const HitBox& box, double x, double y, double s) {
  return {x + box.left * s, x + box.right * s, y + box.top * s, y + box.bottom * s};
}

bool ShipTouchesEnemy(int e) {
  const HitBox ship = ShipBoxAgainstEnemies();
  HitBox body[3];
  EnemyBodyBoxes(e, body);
  for (const HitBox& r : body)
    if (BoxesOverlap(ship, r)) return true;
  return false;
}

bool ShipTouchesBullet(int b) {
  HitBox ship, bullet;
  return BulletContactBoxes(b, &ship, &bullet) && BoxesOverlap(ship, bullet);
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

bool BoxesOverlap(const HitBox& a, const HitBox& b) {
  return a.right > b.left && a.left < b.right && a.bottom > b.top && a.top < b.bottom;
}

bool ShipVulnerable() { return invulnTimer == 0 && gameMode == kModePlay && bombPhase == kBombNone; }

HitBox ShipBoxAgainstEnemies() { return Placed(kShipAgainstEnemies, playerX, playerY); }

// A free slot keeps its stale hit points and position; it is no body.
bool EnemyHasBody(int e) { return enemyState[e] != kEnemyFree && enemyHp[e] > 0.0f; }

void EnemyBodyBoxes(int e, HitBox boxes[3]) {
  for (int i = 0; i < 3; ++i) boxes[i] = PlacedScaled(kEnemyBody[i], enemyX[e], enemyY[e], enemyScale[e]);
}

bool BulletContactBoxes(int b, HitBox* ship, HitBox* bullet) {
  switch (bulletKind[b]) {
    case kBulletSmall:
    case kBulletBouncing:
      *ship = Placed(kShipAgainstSmallBullets, playerX, playerY);
      *bullet = Placed(kSmallBullet, bulletX[b], bulletY[b]);
      return true;
    case kBulletLarge:
      *ship = Placed(kShipAgainstLargeBullets, playerX, playerY);
      *bullet = Placed(kLargeBullet, bulletX[b], bulletY[b]);
      return true;
    default: return false;
  }
}

void CheckEnemyContact() {
  for (loopSlot = 0; loopSlot < kEnemySlots; ++loopSlot) {
    const int e = loopSlot;
    if (!EnemyHasBody(e) || !ShipVulnerable()) continue;
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
