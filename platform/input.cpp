#include "platform/input.h"

#include "platform/backend.h"
#include "platform/keys.h"
#include "platform/machine.h"

int16_t inputX;
int16_t inputY;
int32_t fireBits;
int32_t bombBits;
int32_t buttonKeys[4];
int32_t joystickId = -1;
int32_t joystickButtonCount;
int32_t joyLeftLimit;
int32_t joyRightLimit;
int32_t joyUpLimit;
int32_t joyDownLimit;
int16_t inputLatch;
uint32_t padButtons;

namespace {

int32_t fireKey2 = kVkZ;
int32_t bombKey2 = kVkX;
int32_t pauseKey = kVkEscape;
int32_t padFire = 0, padBomb = 1, padPause = 4;
bool holdingFire, holdingBomb, holdingPause;

bool PadButton(uint32_t buttons, int32_t button) { return button >= 0 && button < 32 && (buttons >> button) & 1u; }

// The pad's buttons as the game reads them: bit 0 (and bit 2) fire, bit 1
// (and bit 3) bomb. With the default buttons this is the pad's own mask.
int32_t PadFaceBits(uint32_t buttons) {
  int32_t bits = 0;
  if (PadButton(buttons, padFire)) bits |= 1;
  if (PadButton(buttons, padBomb)) bits |= 2;
  if (padFire == 0 && PadButton(buttons, 2)) bits |= 4;
  if (padBomb == 1 && PadButton(buttons, 3)) bits |= 8;
  return bits;
}

}  // namespace

void SetControls(int32_t fireKey, int32_t fireKey2Now, int32_t bombKey, int32_t bombKey2Now, int32_t pauseKeyNow,
                 int32_t padFireNow, int32_t padBombNow, int32_t padPauseNow) {
  // The bindings decide which keys the game reads: a replay keeps them, so
  // that it plays back with the keys it was played with.
  auto kept = [](int32_t live) { return int32_t(machine::ReadValue(uint32_t(live))); };
  buttonKeys[0] = buttonKeys[2] = kept(fireKey);
  buttonKeys[1] = buttonKeys[3] = kept(bombKey);
  fireKey2 = kept(fireKey2Now);
  bombKey2 = kept(bombKey2Now);
  pauseKey = kept(pauseKeyNow);
  padFire = kept(padFireNow);
  padBomb = kept(padBombNow);
  padPause = kept(padPauseNow);
  holdingFire = holdingBomb = holdingPause = false;
}

bool PauseInputPressed() {
  const bool key = KeyPressed(pauseKey);
  const bool pauseKeyPressed = KeyPressed(kVkPause);
  const bool pressed = key || pauseKeyPressed || PadButton(padButtons, padPause);
  // The press that closed the pause must end before another counts.
  if (holdingPause && !pressed) holdingPause = false;
  return pressed && !holdingPause;
}

InputHiddenState SaveInputHiddenState() {
  return {fireKey2, bombKey2, pauseKey, padFire, padBomb, padPause, holdingFire, holdingBomb, holdingPause};
}

void RestoreInputHiddenState(const InputHiddenState& s) {
  fireKey2 = s.fireKey2;
  bombKey2 = s.bombKey2;
  pauseKey = s.pauseKey;
  padFire = s.padFire;
  padBomb = s.padBomb;
  padPause = s.padPause;
  holdingFire = s.holdingFire;
  holdingBomb = s.holdingBomb;
  holdingPause = s.holdingPause;
}

void HoldBackHeldButtons() { holdingFire = holdingBomb = holdingPause = true; }

bool KeyPressed(int vk) { return machine::QueryKey(vk); }

void DetectJoystick(int32_t deadZone) {
  joystickId = -1;
  const int n = machine::JoystickCount();
  if (n <= 0) return;
  for (int id = 0; id < n; ++id) {
    platform::JoyState state;
    if (machine::ReadJoystick(id, &state)) {
      joystickId = id;
      break;
    }
  }
  if (joystickId < 0) return;
  platform::JoyCaps caps;
  if (!machine::ReadJoystickCaps(joystickId, &caps)) {
    joystickId = -1;
    return;
  }
  joyLeftLimit = int32_t(caps.xMin) + deadZone;
  joyRightLimit = int32_t(caps.xMax) - deadZone;
  joyUpLimit = int32_t(caps.yMin) + deadZone;
  joyDownLimit = int32_t(caps.yMax) - deadZone;
  joystickButtonCount = int32_t(caps.buttonCount);
}

void ReadInput() {
  inputX = inputY = 0;
  fireBits = bombBits = 0;
  padButtons = 0;
  platform::JoyState joy;
  if (joystickId >= 0 && machine::ReadJoystick(joystickId, &joy)) {
    const int32_t x = int32_t(joy.x), y = int32_t(joy.y);
    inputX = int16_t((x > joyRightLimit ? 1 : 0) - (x < joyLeftLimit ? 1 : 0));
    inputY = int16_t((y > joyDownLimit ? 1 : 0) - (y < joyUpLimit ? 1 : 0));
    padButtons = joy.buttons;
    fireBits = PadFaceBits(joy.buttons);
    bombBits = fireBits;
  }
  const int h = (machine::IsKeyDown(kVkRight) ? 1 : 0) - (machine::IsKeyDown(kVkLeft) ? 1 : 0);
  if (h != 0) inputX = int16_t(h);
  const int v = (machine::IsKeyDown(kVkDown) ? 1 : 0) - (machine::IsKeyDown(kVkUp) ? 1 : 0);
  if (v != 0) inputY = int16_t(v);
  int f = (machine::IsKeyDown(buttonKeys[2]) ? 4 : 0) | (machine::IsKeyDown(buttonKeys[0]) ? 1 : 0);
  if (f == 0 && machine::IsKeyDown(fireKey2)) f = 5;  // as the first key reads
  if (f != 0) fireBits = f;
  int b = (machine::IsKeyDown(buttonKeys[3]) ? 8 : 0) | (machine::IsKeyDown(buttonKeys[1]) ? 2 : 0);
  if (b == 0 && machine::IsKeyDown(bombKey2)) b = 10;
  if (b != 0) bombBits = b;
  // A button held through a menu's closing counts only once it was let go.
  if (holdingFire && (fireBits & 5) == 0) holdingFire = false;
  if (holdingBomb && (bombBits & 10) == 0) holdingBomb = false;
  if (holdingFire) fireBits &= ~5;
  if (holdingBomb) bombBits &= ~10;
}

void FlushInput() {
  static const int kFlushed[] = {kVkUp, kVkDown, kVkLeft, kVkRight, kVkNum8, kVkNum6, kVkNum4, kVkNum2,
                                 kVkA,  kVkH,    kVkD,    kVkF,     kVkS,    kVkP,    kVkE,    kVkCtrl};
  for (int vk : kFlushed) (void)machine::QueryKey(vk);
  // The menu keys too, so that a press seen by no one does not act later.
  static const int kMenuKeys[] = {kVkEscape, kVkPause, kVkEnter, kVkSpace};
  for (int vk : kMenuKeys) (void)machine::QueryKey(vk);
  (void)machine::QueryKey(pauseKey);
  fireBits = bombBits = 0;
  inputX = inputY = 0;
}
