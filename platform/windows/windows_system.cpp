// The millisecond clock, waiting, the single-copy claim and the game's folder
// on Windows (the SDL back-end; what it does alike on Linux is in
// platform/sdl/sdl_desktop.cpp).
#include <windows.h>
// After windows.h: the multimedia timer period.
#include <mmsystem.h>

#include <SDL.h>

#include <string>

#include "platform/backend.h"
#include "platform/windows/utf16.h"

namespace {

int64_t CounterFrequency() {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return f.QuadPart;
}

int64_t NowNs() {
  static const int64_t frequency = CounterFrequency();
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  return int64_t(c.QuadPart / frequency) * 1000000000 + int64_t(c.QuadPart % frequency) * 1000000000 / frequency;
}

// The clock counts whole milliseconds from the first reading.
const int64_t gClockOriginNs = NowNs();

// A high-resolution waitable timer where the system has one (Windows 10
// 1803 and later), else the system timer at its finest period (1 ms).
HANDLE WaitTimer() {
  static HANDLE timer = [] {
    HANDLE t = CreateWaitableTimerExW(nullptr, nullptr, 0x00000002 /* HIGH_RESOLUTION */, TIMER_ALL_ACCESS);
    if (!t) {
      timeBeginPeriod(1);
      t = CreateWaitableTimerW(nullptr, TRUE, nullptr);
    }
    return t;
  }();
  return timer;
}

HANDLE gSingleCopy = nullptr;

}  // namespace

namespace platform {

uint32_t ReadClockMs() { return uint32_t(uint64_t(NowNs() - gClockOriginNs) / 1000000u); }

// Sleeps until the clock shows `ms` more milliseconds.
void Idle(uint32_t ms) {
  if (ms == 0) ms = 1;
  const int64_t now = NowNs() - gClockOriginNs;
  const int64_t target = (now / 1000000 + int64_t(ms)) * 1000000;  // the tick the caller waits for
  HANDLE timer = WaitTimer();
  for (;;) {
    const int64_t left = target - (NowNs() - gClockOriginNs);
    if (left <= 0) return;
    LARGE_INTEGER due;
    due.QuadPart = -((left + 99) / 100);  // relative, in 100 ns units
    if (timer && SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE)) {
      WaitForSingleObject(timer, INFINITE);
    } else {
      Sleep(DWORD((left + 999999) / 1000000));
    }
  }
}

uint32_t RandomSeed() {
  FILETIME t;
  GetSystemTimeAsFileTime(&t);
  const uint64_t ms = ((uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000;
  return uint32_t(ms);
}

// A named mutex of the player's session, held until the process ends. A copy
// that is ending (a replay started from the game runs the program afresh)
// gives it up within moments, so the claim waits a little for it.
bool ClaimSingleInstance() {
  if (gSingleCopy) return true;
  HANDLE mutex = CreateMutexW(nullptr, FALSE, L"Local\\Tessivane-single-copy");
  if (!mutex) return true;  // no place for the claim: do not lock the player out
  const DWORD got = WaitForSingleObject(mutex, 1500);
  if (got != WAIT_OBJECT_0 && got != WAIT_ABANDONED) {
    CloseHandle(mutex);
    return false;
  }
  gSingleCopy = mutex;
  return true;
}

std::string BaseDirectory() {
  static std::string base;
  if (base.empty()) {
    if (char* path = SDL_GetBasePath()) {
      base = GamePath(Widen(path).c_str());
      SDL_free(path);
    }
    if (base.empty()) base = ".";
  }
  return base;
}

}  // namespace platform
