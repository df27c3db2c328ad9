// How the game ends on a real machine: at once, whatever it was doing.
//
// - A termination signal (SIGTERM, SIGINT, SIGHUP) is noted by its handler
//   and comes out of PollWindowEvent as QuitRequested; the game then stops its
//   music and restores the screen saver as on any quit. While a modal box
//   waits in the windowing library the game cannot see the note, so the
//   handler ends the process itself: closing the display connection ends the
//   screen-saver suspension and the audio device goes with the process.
// - A lost display connection (the X server went away) ends the process with
//   one line on standard error and status 1, also from inside a box.
// - EndProcess does not run the C++ exit machinery nor wait for the audio
//   thread: the soundfont may still be loading on its own thread, and waiting
//   for threads (or destroying what they use) held the end up for seconds.
#include <SDL.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "platform/backend.h"
#include "platform/sdl/sdl_internal.h"
// Last: Xlib's macros (None, Status...) would clash with the names above.
#include <X11/Xlib.h>

namespace {

volatile sig_atomic_t quitSignal = 0;
volatile sig_atomic_t modalDepth = 0;

void OnTerminationSignal(int signal) {
  quitSignal = signal;
  if (modalDepth > 0) _exit(0);
}

int OnDisplayLost(Display*) {
  static const char kLine[] = "tessivane: the connection to the display was lost\n";
  ssize_t written = write(STDERR_FILENO, kLine, sizeof kLine - 1);
  (void)written;
  _exit(1);
}

}  // namespace

namespace sdlback {

void InstallEndingHandlers() {
  struct sigaction action = {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int s : {SIGTERM, SIGINT, SIGHUP}) sigaction(s, &action, nullptr);
  XSetIOErrorHandler(OnDisplayLost);
}

bool QuitSignalled() { return quitSignal != 0; }

ModalScope::ModalScope() {
  ++modalDepth;
  // A signal that came just before the box opened would wait for its end.
  if (quitSignal != 0) _exit(0);
  XSetIOErrorHandler(OnDisplayLost);  // the box has a display connection of its own
}
ModalScope::~ModalScope() { --modalDepth; }

}  // namespace sdlback

namespace platform {

// The window and the display connection are closed (the desktop learns at
// once that the window is gone and the screen saver is free again); the audio
// device is not waited for: its thread dies with the process, and the kernel
// closes the device.
void EndProcess(int status) {
  if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_GAMECONTROLLER | SDL_INIT_EVENTS);
  std::fflush(nullptr);
  _exit(status);
}

}  // namespace platform
