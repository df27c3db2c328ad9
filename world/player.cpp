#include "world/player.h"

#include "app/app_state.h"
#include "platform/blit.h"
#include "platform/input.h"
#include "platform/keys.h"
#include "platform/sound_effects.h"
#include "world/world_state.h"

namespace {

constexpr float kShipStep = 6.0f;

void AdvanceShotRing() { nextShotSlot = nextShotSlot >= 20 ? 0 : uint8_t(nextShotSlot + 1); }

// A new shot of `kind` leaves the ship's nose in the slot under the ring,
// overwriting whatever flew there.
void LaunchShot(uint8_t kind) {
  const int k = nextShotSlot;
  shotX[k] = playerX;
  shotY[k] = float(double(playerY) + 8.0);
  shotKind[k] = kind;
  shotComboCount[k] = 0;
  AdvanceShotRing();
}

void MoveShip(bool left, bool right, bool up, bool down, bool padLeft, bool padRight) {
  if (left && double(playerX) + 8.0 > 5.0) playerX -= kShipStep;
  if (right && double(playerX) + 37.0 < 322.0) playerX += kShipStep;

  if (left && playerBank != 2 && playerBank != 3) playerBank = 2;
  if (right && playerBank != 4 && playerBank != 5) playerBank = 4;
  if (!padLeft && !padRight && inputX == 0 && playerBank > 1) playerBank = 0;

  if (up && playerY > 5.0f) playerY -= kShipStep;
  if (down && double(playerY) + 65.0 < 450.0) playerY += kShipStep;
}

// The charge grows while fire is held: slowly to 12, then by 3; the first
// stage tops out at 103 (105 is set back once), the second stage also fills
// the gauge, and the whole charge stops at 206.
void GrowCharge() {
  if (chargeLevel < 12.0f) {
    chargeLevel += 1.0f;
  } else if (chargeLevel < 103.0f) {
    chargeLevel += 3.0f;
  } else if (chargeLevel == 105.0f) {
    chargeLevel = 103.0f;
  } else if (chargeLevel < 206.0f) {
    chargeLevel += 3.0f;
    chargeGauge += 3.0f;
    if (chargeLevel >= 206.0f) RaiseSoundEffect(SoundEffect::ChargeFull);
  } else {
    chargeLevel = 206.0f;
  }
}

void ReleaseChargedShot() {
  if (chargeLevel < 13.0f) return;  // the normal shot already left on the press
  uint8_t kind;
  int16_t flash;
  SoundEffect sound;
  if (chargeLevel < 103.0f) {
    kind = kShotChargedLow;
    flash = 30;
    sound = SoundEffect::ChargedShot1;
  } else if (chargeLevel < 206.0f) {
    kind = kShotChargedLow + 1;
    flash = 70;
    sound = SoundEffect::ChargedShot2;
  } else {
    kind = kShotChargedHigh;
    flash = 130;
    sound = SoundEffect::ChargedShot3;
  }
  shotCooldown = flash;
  chargeFlash = flash;
  LaunchShot(kind);
  RaiseSoundEffect(sound);
}

// Ctrl switches the frame-rate display, once per press.
void WatchCtrl() {
  const bool ctrl = KeyPressed(kVkCtrl);
  if (ctrl && inputLatch == 0) {
    inputLatch = -1;
    showFrameRate = int16_t(~showFrameRate);
  }
  if (!ctrl && (gameMode != kModeDemo || (fireBits == 0 && bombBits == 0))) inputLatch = 0;
}

}  // namespace

void UpdatePlayer() {
  if (gameMode == kModePlay || gameMode == kModeContinueAccepted) {
    const bool padLeft = KeyPressed(kVkNum4), padRight = KeyPressed(kVkNum6);
    const bool padUp = KeyPressed(kVkNum8), padDown = KeyPressed(kVkNum2);
    MoveShip(padLeft || inputX == -1, padRight || inputX == 1, padUp || inputY == -1, padDown || inputY == 1,
             padLeft, padRight);

    const bool fire = FirePressed();
    if (fire && fireLatch == 0 && shotCooldown == 0 &&
        (bombPhase == kBombNone || battlePhase == kBattleWavesFlashEnds)) {
      LaunchShot(kShotNormal);
      RaiseSoundEffect(SoundEffect::Shot);
    }
    if (fire) {
      fireLatch = -1;
      if (bombPhase == kBombNone) GrowCharge();
    } else {
      if (battlePhase == kBattleWavesFlashEnds || bombPhase == kBombNone) {
        ReleaseChargedShot();
        fireLatch = 0;
      }
      chargeLevel = 0.0f;
      chargeGauge = 0.0f;
    }

    if (BombPressed() && bombComboTimer == 0 && bombs > 0 && battlePhase < kBattleStageEnd &&
        bombPhase == kBombNone && shotCooldown == 0) {
      bombX = int16_t(RoundHalfEven(playerX));
      bombY = int16_t(RoundHalfEven(playerY));
      --bombs;
      bombPhase = kBombRing;
      RaiseSoundEffect(SoundEffect::Bomb);
    }
  }
  WatchCtrl();
}
