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

// The second keys, the pad's buttons and the presses held back.
InputHiddenState hidden{kVkZ, kVkX, kVkEscape, 0, 1, 4, false, false, false};

bool PadButton(uint32_t buttons, int32_t button) { return button >= 0 && button < 32 && (buttons >> button) & 1u; }

// The pad's buttons as the game reads them: bit 0 (and bit 2) fire, bit 1
// (and bit 3) bomb. With the default buttons this is the pad's own mask.
int32_t PadFaceBits(uint32_t buttons) {
  int32_t bits = 0;
  if (PadButton(buttons, hidden.padFire)) bits |= 1;
  if (PadButton(buttons, hidden.padBomb)) bits |= 2;
  if (hidden.padFire == 0 && PadButton(buttons, 2)) bits |= 4;
  if (hidden.padBomb == 1 && PadButton(buttons, 3)) bits |= 8;
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
  hidden.fireKey2 = kept(fireKey2Now);
  hidden.bombKey2 = kept(bombKey2Now);
  hidden.pauseKey = kept(pauseKeyNow);
  hidden.padFire = kept(padFireNow);
  hidden.padBomb = kept(padBombNow);
  hidden.padPause = kept(padPauseNow);
  hidden.holdingFire = hidden.holdingBomb = hidden.holdingPause = false;
}

bool PauseInputPressed() {
  const bool key = KeyPressed(hidden.pauseKey);
  const bool pauseKeyPressed = KeyPressed(kVkPause);
  const bool pressed = key || pauseKeyPressed || PadButton(padButtons, hidden.padPause);
  // The press that closed the pause must end before another counts.
  if (hidden.holdingPause && !pressed) hidden.holdingPause = false;
  return pressed && !hidden.holdingPause;
}

InputHiddenState SaveInputHiddenState() { return hidden; }
void RestoreInputHiddenState(const InputHiddenState& state) { hidden = state; }

void HoldBackHeldButtons() { hidden.holdingFire = hidden.holdingBomb = hidden.holdingPause = true; }

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
  if (f == 0 && machine::IsKeyDown(hidden.fireKey2)) f = 5;  // as the first key reads
  if (f != 0) fireBits = f;
  int b = (machine::IsKeyDown(buttonKeys[3]) ? 8 : 0) | (machine::IsKeyDown(buttonKeys[1]) ? 2 : 0);
  if (b == 0 && machine::IsKeyDown(hidden.bombKey2)) b = 10;
  if (b != 0) bombBits = b;
  // A button held through a menu's closing counts only once it was let go.
  if (hidden.holdingFire && (fireBits & 5) == 0) hidden.holdingFire = false;
  if (hidden.holdingBomb && (bombBits & 10) == 0) hidden.holdingBomb = false;
  if (hidden.holdingFire) fireBits &= ~5;
  if (hidden.holdingBomb) bombBits &= ~10;
}

void FlushInput() {
  static const int kFlushed[] = {kVkUp, kVkDown, kVkLeft, kVkRight, kVkNum8, kVkNum6, kVkNum4, kVkNum2,
                                 kVkA,  kVkH,    kVkD,    kVkF,     kVkS,    kVkP,    kVkE,    kVkCtrl};
  for (int vk : kFlushed) (void)machine::QueryKey(vk);
  // The menu keys too, so that a press seen by no one does not act later.
  static const int kMenuKeys[] = {kVkEscape, kVkPause, kVkEnter, kVkSpace};
  for (int vk : kMenuKeys) (void)machine::QueryKey(vk);
  (void)machine::QueryKey(hidden.pauseKey);
  fireBits = bombBits = 0;
  inputX = inputY = 0;
}
