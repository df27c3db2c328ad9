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
// - SDL shows message boxes from a forked copy of the process and waits for
//   it. That copy must die with the game (else it would hold the box open and
//   the single-copy lock), and tells nothing itself: when its display goes
//   away the game finds out and says so.
// - EndProcess does not run the C++ exit machinery nor wait for the audio
//   thread: the soundfont may still be loading on its own thread, and waiting
//   for threads (or destroying what they use) held the end up for seconds.
//   bench/quit_time.sh measures it.
#include <pthread.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

#include "platform/backend.h"
#include "platform/sdl/sdl_internal.h"
// Last: Xlib's macros (None, Status...) would clash with the names above.
#include <SDL_syswm.h>

#include <X11/Xlib.h>

namespace {

volatile sig_atomic_t quitSignal = 0;
volatile sig_atomic_t modalDepth = 0;
volatile sig_atomic_t isBoxCopy = 0;

void OnForkedCopy() {
  isBoxCopy = 1;
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() == 1) _exit(1);  // the game ended before the line above
}

void OnTerminationSignal(int signal) {
  if (isBoxCopy) _exit(1);
  quitSignal = signal;
  if (modalDepth > 0) _exit(0);
}

int OnDisplayLost(Display*) {
  if (isBoxCopy) _exit(1);
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
  static bool forkHandled = false;
  if (!forkHandled) pthread_atfork(nullptr, nullptr, OnForkedCopy);
  forkHandled = true;
}

// A round trip to the game window's X display (none without one): what was
// asked of it is sent, and on a lost connection Xlib calls OnDisplayLost.
void CheckDisplay() {
  SDL_Window* window = GameWindow();
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (window && SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11)
    XSync(info.info.x11.display, False);
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

// What the game last asked of the display (the screen saver switched back on)
// is sent; then the process ends. Nothing is torn down piece by piece: the
// kernel closes the display connection (the server drops the window and the
// screen-saver suspension with it) and the audio device, and no thread is
// waited for.
void EndProcess(int status) {
  sdlback::CheckDisplay();
  std::fflush(nullptr);
  _exit(status);
}

}  // namespace platform
