// Keyboard and joystick, polled once a frame into four small globals.
#pragma once

#include <cstdint>

extern int16_t inputX;    // -1 left, 0 none, +1 right
extern int16_t inputY;    // -1 up, 0 none, +1 down
extern int32_t fireBits;  // fire is pressed when fireBits & 5
extern int32_t bombBits;  // bomb is pressed when bombBits & 10
extern int32_t buttonKeys[4];
extern int32_t joystickId;
extern int32_t joystickButtonCount;
extern int32_t joyLeftLimit;
extern int32_t joyRightLimit;
extern int32_t joyUpLimit;
extern int32_t joyDownLimit;
extern int16_t inputLatch;  // -1: a press was acted on and must be released first

// The player's controls beyond the game's own: the second fire and bomb
// keys (Z and X by default), the pause key (Escape) and the pad's fire, bomb
// and pause buttons (numbered from 0: buttons 1..4, Start, Back, shoulders).
// The first fire and bomb keys go to buttonKeys as the game keeps them.
void SetControls(int32_t fireKey, int32_t fireKey2, int32_t bombKey, int32_t bombKey2, int32_t pauseKey,
                 int32_t padFire, int32_t padBomb, int32_t padPause);
// The pad's buttons as ReadInput last read them (JoyState bits).
extern uint32_t padButtons;

// True when the pause key, the Pause key or the pad's pause button is down
// now, or (keys) was pressed since the last look. Taken once a frame.
bool PauseInputPressed();
// After a menu closes: fire, bomb and the pause inputs held now count as
// released until they have really been released, so that a press does not
// leak into play (nor pause again at once).
void HoldBackHeldButtons();

// What the input keeps beside its globals (the second keys, the pad's
// buttons, the presses held back), for a snapshot of the game (and back).
struct InputHiddenState {
  int32_t fireKey2, bombKey2, pauseKey, padFire, padBomb, padPause;
  bool holdingFire, holdingBomb, holdingPause;
};
InputHiddenState SaveInputHiddenState();
void RestoreInputHiddenState(const InputHiddenState& state);

void DetectJoystick(int32_t deadZone);
void ReadInput();
void FlushInput();

// A key queried directly: down now, or pressed since it was last queried.
bool KeyPressed(int vk);

inline bool FirePressed() { return (fireBits & 5) != 0; }
inline bool BombPressed() { return (bombBits & 10) != 0; }
inline bool ConfirmPressed() { return FirePressed() || BombPressed(); }
