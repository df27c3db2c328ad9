#include "world/volleys.h"

#include <cmath>

#include "platform/clock.h"
#include "platform/random.h"
#include "world/items.h"
#include "world/world_state.h"

namespace {

constexpr int kRingSlots = 80;  // the ring offers slots 0..79
constexpr int kSpareSlot = 80;  // never taken by the ring
constexpr double kLargeShotSpeed = 13.0;

// Where a bullet goes and how it starts.
struct BulletStart {
  uint8_t kind;
  double x, y;
  double vx, vy;  // used when spread is 0 (not aimed)
  int spread;     // 0: fixed velocity; otherwise aimed with this spread
  double speed;
};

// Muzzle of the enemy in `slot`: its scaled centre, a little lower for bosses.
double MuzzleX(int slot) { return double(enemyX[slot]) + 20.0 * double(enemyScale[slot]); }
double MuzzleY(int slot) {
  const double s = enemyScale[slot];
  return double(enemyY[slot]) + (s > 2.0 ? 22.0 * s : 19.0 * s);
}

// The enemy may fire only while inside the firing window (measured with its
// kind number, as the scripts have always done).
bool InFiringWindow(int slot) {
  const double ex = enemyX[slot], ey = enemyY[slot];
  const double reach = 40.0 * double(enemyKind[slot]);
  return ey + reach >= -5.0 && ey <= 470.0 && ex <= 360.0 && ex + reach >= -5.0;
}

void AdvanceBulletRing() { nextBulletSlot = nextBulletSlot >= kRingSlots - 1 ? 0 : uint8_t(nextBulletSlot + 1); }

// Takes the slot under the ring when it is free. Returns true if it did.
bool TakeRingSlot(const BulletStart& b) {
  const int k = nextBulletSlot;
  if (bulletKind[k] != kBulletFree) return false;
  bulletKind[k] = b.kind;
  if (b.kind == kBulletBouncing) bulletBounces[k] = 0;
  bulletX[k] = float(b.x);
  bulletY[k] = float(b.y);
  if (b.spread != 0) {
    AimBullet(k, b.spread, b.speed);
  } else {
    bulletVX[k] = float(b.vx);
    bulletVY[k] = float(b.vy);
  }
  ++volleyCount;
  return true;
}

// Places `count` bullets on the ring, skipping occupied slots; `startOf(n)`
// gives the n-th bullet of the volley. `spareKind` is the kind that frees slot
// 80 when found there. A full pass over the ring without a free slot ends the
// volley with what it has placed. `testAfterPlacing`: the last volley tests
// its count only after a bullet was placed; the others test before every look
// at the ring.
template <typename StartOf>
void PlaceVolley(StartOf startOf, int count, uint8_t spareKind, bool testAfterPlacing) {
  int fruitless = 0;
  for (;;) {
    if (!testAfterPlacing && volleyCount == count) break;
    const bool placed = TakeRingSlot(startOf(volleyCount));
    if (bulletKind[kSpareSlot] == spareKind) bulletKind[kSpareSlot] = kBulletFree;
    AdvanceBulletRing();
    PumpMessages();
    if (placed) {
      fruitless = 0;
      if (testAfterPlacing && volleyCount == count) break;
    } else if (++fruitless >= kRingSlots) {
      break;  // the ring is full: give up rather than wait
    }
  }
  volleyCount = 0;
}

void PlaceVolley(const BulletStart& b, int count, uint8_t spareKind, bool testAfterPlacing) {
  PlaceVolley([&b](int) { return b; }, count, spareKind, testAfterPlacing);
}

// The several large-bullet volleys share this start: kind 2 falling at 13.
BulletStart LargeBullet(double x, double y) { return {kBulletLarge, x, y, 0.0, kLargeShotSpeed, 0, 0.0}; }

}  // namespace

void AimBullet(int slot, int spread, double speed) {
  const double r = spread;
  const double r1 = Rnd();
  aimDX = float(std::floor(r1 * 2.0 * r + 1.0 - r) + (double(playerX) + 16.0) - double(bulletX[slot]));
  const double r2 = Rnd();
  aimDY = float(std::floor(r2 * 2.0 * r + 1.0 - r) + (double(playerY) + 16.0) - double(bulletY[slot]));
  aimDist = float(std::sqrt(double(aimDX) * aimDX + double(aimDY) * aimDY));
  if (aimDist > 0.0f) {
    bulletVX[slot] = float(double(aimDX) * speed / aimDist);
    bulletVY[slot] = float(double(aimDY) * speed / aimDist);
  } else {
    // The aim point lies on the bullet: straight down.
    bulletVX[slot] = 0.0f;
    bulletVY[slot] = float(speed);
  }
}

void FireAimedVolley() {
  const int e = scriptEnemy;
  if (!InFiringWindow(e)) return;
  PlaceVolley({kBulletSmall, MuzzleX(e), MuzzleY(e), 0.0, 0.0, 128, 8.0}, enemyShots[e], kBulletSmall, false);
}

void FireLargeShot() {
  const int e = scriptEnemy;
  if (!InFiringWindow(e)) return;
  const double s = enemyScale[e], ex = enemyX[e], ey = enemyY[e];
  double x, y;
  if (s == 1.0) {
    x = ex + 17.0 * s;
    y = ey + 20.0 * s - 8.0 * (s - 1.0);
  } else if (s > 1.0 && s < 4.0) {
    x = ex + 17.0 * s;
    y = ey + 26.0 * s - 8.0 * (s - 1.0);
  } else {
    x = ex + 19.0 * s;
    y = ey + 31.0 * s - 8.0 * (s - 1.0);
  }
  PlaceVolley(LargeBullet(x, y), 1, kBulletLarge, false);
}

void FireTwinLargeShots() {
  const int e = scriptEnemy;
  if (!InFiringWindow(e)) return;
  const double s = enemyScale[e], ex = enemyX[e], ey = enemyY[e];
  const double y = ey + 30.0 * s - 8.0 * (s - 1.0);
  // The first bullet leaves the left muzzle, the second the right one.
  PlaceVolley([&](int n) { return LargeBullet(n == 0 ? ex + 7.0 * s : ex + 33.0 * s, y); }, 2, kBulletLarge,
              false);
}

void FireCentreLargeShot() {
  const int e = scriptEnemy;
  if (!InFiringWindow(e)) return;
  const double s = enemyScale[e];
  PlaceVolley(LargeBullet(double(enemyX[e]) + 20.0 * s, double(enemyY[e]) + 30.0 * s - 8.0 * (s - 1.0)), 1,
              kBulletLarge, false);
}

void FireBouncingVolley() {
  const int e = scriptEnemy;
  if (!InFiringWindow(e)) return;
  const int count = int(hardMode) + int(revengeFire) + 4 - int(easyMode);
  PlaceVolley({kBulletBouncing, MuzzleX(e), MuzzleY(e), 0.0, 0.0, 512, 8.3}, count, kBulletSmall, false);
}

void FireLastVolley() {
  if (revengeFire != 1) return;
  const int e = loopSlot2;
  const float s = enemyScale[e];
  int count = s == 1.0f ? 1 : s == 2.0f ? 4 : 6;
  if (enemyCarrier[e] == 1) count *= 2;
  if (count > 6) count = 6;
  enemyShots[e] = uint8_t(count);
  const int spread = count == 1 ? 16 : count == 2 ? 64 : 128;
  PlaceVolley({kBulletSmall, MuzzleX(e), MuzzleY(e), 0.0, 0.0, spread, 8.0}, count, kBulletSmall, true);
}

void MoveBulletsAndItems() {
  for (int k = 0; k < kBulletSlots; ++k) {
    if (bulletKind[k] == kBulletBouncing) {
      const double x = bulletX[k], y = bulletY[k];
      if (x < 0.0 || (bulletBounces[k] < 4 && x + 20.0 > 330.0)) {
        bulletVX[k] = -bulletVX[k];
        ++bulletBounces[k];
      }
      if (y < 0.0 || (bulletBounces[k] < 4 && y + 20.0 > 460.0)) {
        bulletVY[k] = -bulletVY[k];
        ++bulletBounces[k];
      }
      if (x < -10.0 || x + 20.0 > 350.0 || y < -10.0 || y + 20.0 > 480.0) bulletKind[k] = kBulletFree;
    }
    if (bulletKind[k] != kBulletFree) {
      bulletX[k] += bulletVX[k];
      bulletY[k] += bulletVY[k];
    }
    const double x = bulletX[k], y = bulletY[k];
    if (bulletKind[k] != kBulletBouncing && (x + 20.0 < -5.0 || x > 370.0 || y + 20.0 < -5.0 || y > 460.0)) {
      bulletKind[k] = kBulletFree;
    }
  }
  MoveItems();
}
