#include "platform/clock.h"

#include "platform/backend.h"
#include "platform/machine.h"
#include "platform/screenshot.h"

namespace {
void (*gOnClose)() = nullptr;
void (*gOnTimerTick)() = nullptr;
void (*gOnQuit)() = nullptr;
void (*gOnFullScreenToggled)() = nullptr;
WindowTimerState gTimer{false, 0};
constexpr uint32_t kTimerIntervalMs = 1000;
}  // namespace

int32_t ClockMs() { return int32_t(machine::ReadClockMs()); }

void SetWindowEventHandlers(void (*onClose)(), void (*onTimerTick)()) {
  gOnClose = onClose;
  machine::SetDialogCloseHandler(onClose);
  gOnTimerTick = onTimerTick;
  gTimer.started = true;
  gTimer.lastTickMs = machine::ReadClockMs();
}

WindowTimerState SaveWindowTimer() { return gTimer; }
void RestoreWindowTimer(const WindowTimerState& state) { gTimer = state; }

void SetQuitHandler(void (*onQuit)()) { gOnQuit = onQuit; }
void SetFullScreenToggledHandler(void (*onToggled)()) { gOnFullScreenToggled = onToggled; }

void ActOutsideTheGame(platform::WindowEvent e) {
  if (e == platform::WindowEvent::QuitRequested && gOnQuit) gOnQuit();
  if (e == platform::WindowEvent::ScreenshotRequested) TakeScreenshot();
  if (e == platform::WindowEvent::FullScreenToggled && gOnFullScreenToggled) gOnFullScreenToggled();
}

void PumpMessages() {
  for (;;) {
    const platform::WindowEvent e = machine::PollWindowEvent();
    if (e == platform::WindowEvent::None) break;
    if (e == platform::WindowEvent::CloseRequested && gOnClose) gOnClose();
    ActOutsideTheGame(e);
  }
  if (gTimer.started) {
    const uint32_t now = machine::ReadClockMs();
    const uint32_t since = now - gTimer.lastTickMs;
    if (since >= kTimerIntervalMs) {
      // One tick per pump at most; a long stall does not bring a burst.
      gTimer.lastTickMs = since >= 2 * kTimerIntervalMs ? now : gTimer.lastTickMs + kTimerIntervalMs;
      if (gOnTimerTick) gOnTimerTick();
    }
  }
}

void WaitMs(int32_t ms) {
  if (ms <= 0) return;
  const int32_t start = ClockMs();
  for (;;) {
    const int32_t elapsed = ElapsedMs(ClockMs(), start);
    if (elapsed >= ms) return;
    machine::Idle(uint32_t(ms - elapsed));
    PumpMessages();
  }
}
