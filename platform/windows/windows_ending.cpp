// How the game ends on Windows: at once, whatever it was doing.
// - A console's Ctrl+C, Ctrl+Break or close is noted and comes out of
//   PollWindowEvent as QuitRequested (the game then stops its music and
//   restores the screen saver as on any quit); while a modal box waits, the
//   process ends at once.
// - EndProcess runs no C++ exit machinery and waits for no thread (the audio
//   thread goes with the process).
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "platform/backend.h"
#include "platform/sdl/sdl_internal.h"

namespace {

volatile LONG quitSignal = 0;
volatile LONG modalDepth = 0;

BOOL WINAPI OnConsoleControl(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      InterlockedExchange(&quitSignal, 1);
      if (modalDepth > 0) TerminateProcess(GetCurrentProcess(), 0);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

namespace sdlback {

void InstallEndingHandlers() { SetConsoleCtrlHandler(OnConsoleControl, TRUE); }

// Windows keeps no display connection that could be lost.
void CheckDisplay() {}

bool QuitSignalled() { return quitSignal != 0; }

ModalScope::ModalScope() {
  InterlockedIncrement(&modalDepth);
  if (quitSignal != 0) TerminateProcess(GetCurrentProcess(), 0);
}
ModalScope::~ModalScope() { InterlockedDecrement(&modalDepth); }

}  // namespace sdlback

namespace platform {

void EndProcess(int status) {
  std::fflush(nullptr);
  TerminateProcess(GetCurrentProcess(), UINT(status));
  _exit(status);
}

}  // namespace platform
