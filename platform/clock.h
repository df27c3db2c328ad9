// The millisecond clock, waiting, and the pump of the window's messages.
#pragma once

#include <cstdint>

#include "platform/backend.h"

// The 1 ms clock as a signed 32-bit value; take differences of two readings
// with ElapsedMs so that the clock's wrap at 2^32 does no harm.
int32_t ClockMs();
inline int32_t ElapsedMs(int32_t later, int32_t earlier) { return int32_t(uint32_t(later) - uint32_t(earlier)); }

// Returns when at least `ms` milliseconds have passed since the call, pumping
// the window's messages between clock readings. 0 or less returns at once.
void WaitMs(int32_t ms);

// Delivers the pending window events: the once-a-second tick of the window's
// timer and a click on the close button.
void PumpMessages();
// What PumpMessages does with the events that act outside the game (a
// termination signal, the screenshot key, the full-screen shortcut), for a
// loop that reads the window's events itself (the replay viewer's, paused);
// other events are left to the caller.
void ActOutsideTheGame(platform::WindowEvent e);

// Who handles the window's events (set once by start-up).
void SetWindowEventHandlers(void (*onClose)(), void (*onTimerTick)());
// The window timer's own state (whether it runs, its last tick), for a
// snapshot of the game (and back).
struct WindowTimerState {
  bool started;
  uint32_t lastTickMs;
};
WindowTimerState SaveWindowTimer();
void RestoreWindowTimer(const WindowTimerState& state);

// Who ends the game when the system asks it to (a termination signal).
void SetQuitHandler(void (*onQuit)());
// Who is told when the player switched full screen with the back-end's shortcut.
void SetFullScreenToggledHandler(void (*onToggled)());
