#include "platform/input.h"

#include "platform/backend.h"
#include "platform/machine.h"
#include "platform/keys.h"

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
  platform::JoyState joy;
  if (joystickId >= 0 && machine::ReadJoystick(joystickId, &joy)) {
    const int32_t x = int32_t(joy.x), y = int32_t(joy.y);
    inputX = int16_t((x > joyRightLimit ? 1 : 0) - (x < joyLeftLimit ? 1 : 0));
    inputY = int16_t((y > joyDownLimit ? 1 : 0) - (y < joyUpLimit ? 1 : 0));
    fireBits = int32_t(joy.buttons);
    bombBits = int32_t(joy.buttons);
  }
  const int h = (machine::IsKeyDown(kVkRight) ? 1 : 0) - (machine::IsKeyDown(kVkLeft) ? 1 : 0);
  if (h != 0) inputX = int16_t(h);
  const int v = (machine::IsKeyDown(kVkDown) ? 1 : 0) - (machine::IsKeyDown(kVkUp) ? 1 : 0);
  if (v != 0) inputY = int16_t(v);
  const int f = (machine::IsKeyDown(buttonKeys[2]) ? 4 : 0) | (machine::IsKeyDown(buttonKeys[0]) ? 1 : 0);
  if (f != 0) fireBits = f;
  const int b = (machine::IsKeyDown(buttonKeys[3]) ? 8 : 0) | (machine::IsKeyDown(buttonKeys[1]) ? 2 : 0);
  if (b != 0) bombBits = b;
}

void FlushInput() {
  static const int kFlushed[] = {kVkUp, kVkDown, kVkLeft, kVkRight, kVkNum8, kVkNum6, kVkNum4, kVkNum2,
                                 kVkA,  kVkH,    kVkD,    kVkF,     kVkS,    kVkP,    kVkE,    kVkCtrl};
  for (int vk : kFlushed) (void)machine::QueryKey(vk);
  fireBits = bombBits = 0;
  inputX = inputY = 0;
}
