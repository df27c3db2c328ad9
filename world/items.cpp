#include "world/items.h"

#include <cmath>

#include "app/app_state.h"
#include "platform/blit.h"
#include "platform/sound_effects.h"
#include "world/world_state.h"

namespace {

constexpr int kBombItem = 0;
constexpr int kShieldItem = 1;
constexpr uint8_t kMessageFrames = 27;

// The ship's pickup box against a box at (x + lo .. x + hi, y + lo .. y + hi);
// every side strict.
bool ShipTouches(double x, double y, double lo, double hi) {
  const double px = playerX, py = playerY;
  return x + hi > px + 12.0 && x + lo < px + 33.0 && y + hi > py + 17.0 && y + lo < py + 40.0;
}

void PlacePopup(int slot, double x, double y) {
  popupX[slot] = int16_t(RoundHalfEven(x));
  popupY[slot] = int16_t(RoundHalfEven(y));
}

void AddScore(double points) { score = float(double(score) + points); }

void TakeBombItem() {
  itemState[kBombItem] = kItemNone;
  itemState[kShieldItem] = kItemPopping;
  PlacePopup(kShieldItem, double(itemX[kShieldItem]) + 20.0, double(itemY[kShieldItem]) + 16.0);
  PlacePopup(kBombItem, double(itemX[kBombItem]) - 20.0, double(itemY[kBombItem]) + 27.0);
  if (bombs <= 2) {
    ++bombs;
    bonusTextKind = 1;
  } else {
    AddScore(3000);
    bonusTextKind = 3;
  }
  bonusTextTimer = kMessageFrames;
}

void TakeShieldItem() {
  itemState[kBombItem] = kItemPopping;
  itemState[kShieldItem] = kItemNone;
  PlacePopup(kBombItem, double(itemX[kBombItem]) + 20.0, double(itemY[kBombItem]) + 16.0);
  PlacePopup(kShieldItem, double(itemX[kShieldItem]) - 20.0, double(itemY[kShieldItem]) + 27.0);
  if (shield < 3.0f) {
    shield += 1.0f;
    if (shield > 3.0f) shield = 3.0f;
    bonusTextKind = 2;
  } else {
    AddScore(3000);
    bonusTextKind = 4;
  }
  bonusTextTimer = kMessageFrames;
}

}  // namespace

void ReleaseItems() {
  const int e = loopSlot2;
  if (enemyCarrier[e] != 1) return;
  const double s = enemyScale[e];
  const float x = float(double(enemyX[e]) + 20.0 * s), y = float(double(enemyY[e]) + 20.0 * s);
  for (int k = 0; k < kItemSlots; ++k) {
    itemX[k] = x;
    itemY[k] = y;
    itemState[k] = kItemFalling;
  }
}

void MoveItems() {
  if (itemState[kBombItem] == kItemFalling) {
    if (itemX[kBombItem] < 240.0f) {
      itemX[kBombItem] += 4.0f;
    } else if (itemX[kBombItem] >= 245.0f) {
      itemX[kBombItem] -= 4.0f;
    }
    itemY[kBombItem] += 2.0f;
  }
  if (itemState[kShieldItem] == kItemFalling) {
    if (itemX[kShieldItem] > 50.0f) {
      itemX[kShieldItem] -= 4.0f;
    } else if (itemX[kShieldItem] < 45.0f) {
      itemX[kShieldItem] += 4.0f;
    }
    itemY[kShieldItem] += 2.0f;
  }
}

void CheckItemPickup() {
  for (int k = 0; k < kItemSlots; ++k) {
    if (itemState[k] != kItemFalling || gameMode != kModePlay) continue;
    if (!ShipTouches(itemX[k], itemY[k], 8.0, 32.0)) continue;
    if (k == kBombItem) {
      TakeBombItem();
    } else {
      TakeShieldItem();
    }
    RaiseSoundEffect(SoundEffect::ItemPickup);
  }
}

void CheckCapsulePickup() {
  if (bonusState != 1 || gameMode != kModePlay) return;
  if (!ShipTouches(bonusX, bonusY, 6.0, 26.0)) return;
  bonusState = 2;
  PlacePopup(0, double(bonusX) - 16.0, double(bonusY) + 23.0);
  AddScore(10000);
  shield = 3.0f;
  bombs = 3;
  bonusTextKind = 5;
  bonusTextTimer = kMessageFrames;
  RaiseSoundEffect(SoundEffect::BonusCapsule);
}
