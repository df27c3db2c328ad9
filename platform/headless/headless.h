// Control of the headless platform, for tests and tools: a virtual clock that
// advances only while the game waits, scripted keys and joystick, and the
// message boxes, dialogs, music commands and sound effects recorded in order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/sound_effects.h"

namespace headless {

// Thrown by platform::EndProcess: the program ended itself, with the exit
// status the real game would give.
struct ProcessEnded {
  int status = 0;
};
// Thrown from a wait when the virtual clock reaches the stop time.
struct StopReached {};

// The virtual clock moves only in platform::Idle, with one exception: a
// program that polls the machine (clock, keys, joystick, window events,
// presents) 10000 times without waiting is busy-waiting, and one millisecond
// passes for each such run of polls, so that it cannot stand still for ever.

// Back to a fresh machine: clock 0, nothing held, nothing recorded.
void Reset();

void SetClock(uint32_t ms);
uint32_t Clock();
// Waiting past this time throws StopReached (0 = never).
void SetStopTime(uint32_t ms);
// Called whenever the clock moves, with the old and new time (for pictures
// and dumps taken at given moments).
void SetClockObserver(void (*observer)(uint32_t from, uint32_t to));

void SetBaseDirectory(const std::string& dir);
void SetSeed(uint32_t seed);
void SetScreenSaver(bool enabled);
// Touch controls like the web page's (for tests; none by default), and the
// settings the game last gave them.
struct TouchControls {
  bool leftHanded = false;
  int size = -1, dragPercent = -1;  // -1: never set
};
void SetTouchControlsPresent(bool present);
const TouchControls& TouchControlsSet();
// When false, the single-copy claim fails as if another copy ran.
void SetSingleInstanceFree(bool free);

// Keys: held from `from` (inclusive) to `to` (exclusive) on the virtual clock.
void HoldKey(int vk, uint32_t from, uint32_t to);
// Holds or releases a key from now on (for unit tests).
void SetKeyDown(int vk, bool down);

// Joystick: present or not, and its state from a time on.
void SetJoystickPresent(bool present);
void SetJoystick(uint32_t from, uint32_t to, const platform::JoyState& state);

// Answers to the next Yes/No questions and name dialogs, in order.
// Unanswered questions are answered No; unanswered dialogs are cancelled.
void QueueAnswer(bool yes);
void QueueName(const std::string& name);
void QueueNameCancel();
// A termination signal (SIGTERM) when the clock reaches `at`.
void RequestTerminationAt(uint32_t at);
// The window without the focus while the clock is in [from, to).
void SetUnfocused(uint32_t from, uint32_t to);
// A click on the window's close button when the clock reaches `at`.
void RequestCloseAt(uint32_t at);

struct Message {
  std::string kind;   // "message", "question", "name" or "browser" (a page opened)
  std::string text;   // the message or prompt
  std::string title;  // title or caption
  bool critical = false;
  std::string answer;  // "ok", "yes", "no", the typed name, or "cancel"
};
const std::vector<Message>& Messages();
const std::vector<std::string>& MusicCommands();
// Makes the current tune end by itself (as if it played to its end).
void FinishTune();

// The sound effects that sounded (raised with the effects on and not dropped
// by their minimum interval), in order: the effect's name and the number of
// frames presented before it was raised. headless::Reset clears them and sets
// the effects volume back to its default.
struct SoundEffectRecord {
  SoundEffect effect;  // SoundEffectName gives its name
  uint64_t frame;
};
const std::vector<SoundEffectRecord>& SoundEffects();

// Number of frames presented so far.
uint64_t PresentCount();

}  // namespace headless
