// Keyboard and joystick, polled once a frame into four small globals.
#pragma once

#include <cstdint>

extern int16_t inputX;   // -1 left, 0 none, +1 right
extern int16_t inputY;   // -1 up, 0 none, +1 down
extern int32_t fireBits; // fire is pressed when fireBits & 5
extern int32_t bombBits; // bomb is pressed when bombBits & 10
extern int32_t buttonKeys[4];
extern int32_t joystickId;
extern int32_t joystickButtonCount;
extern int32_t joyLeftLimit;
extern int32_t joyRightLimit;
extern int32_t joyUpLimit;
extern int32_t joyDownLimit;
extern int16_t inputLatch;  // -1: a press was acted on and must be released first

void DetectJoystick(int32_t deadZone);
void ReadInput();
void FlushInput();

// A key queried directly: down now, or pressed since it was last queried.
bool KeyPressed(int vk);

inline bool FirePressed() { return (fireBits & 5) != 0; }
inline bool BombPressed() { return (bombBits & 10) != 0; }
inline bool ConfirmPressed() { return FirePressed() || BombPressed(); }
