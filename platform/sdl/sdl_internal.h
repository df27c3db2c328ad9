// Shared between the files of the SDL back-end.
#pragma once

#include <SDL.h>

namespace sdlback {

// Initialises SDL video and the game controllers once; false if it failed.
bool EnsureVideo();
// The game window (nullptr before CreateGameWindow).
SDL_Window* GameWindow();
// Shows the last presented picture again (after an expose).
void RepresentLast();
// Handles one event that belongs to the game window or to the devices;
// true when it was a request to close the game window.
bool HandleGameEvent(const SDL_Event& e);
// Key presses made while a modal box was open must not act afterwards:
// drops queued key events and takes the keyboard as it is now.
void ResyncKeyboard();
// The game's close handler, handed over by the clock module.
void CallCloseHandler();
// The integer scale the game window opened at (for dialogs).
int WindowScale();

// Termination signals and a lost display end the game (sdl_ending.cpp).
void InstallEndingHandlers();
// True once a termination signal arrived.
bool QuitSignalled();
// Ends the game (status 1, one line) if the display connection is lost;
// returns when it is alive.
void CheckDisplay();
// While one exists a modal box runs its own event loop: a termination signal
// ends the process at once.
struct ModalScope {
  ModalScope();
  ~ModalScope();
  ModalScope(const ModalScope&) = delete;
  ModalScope& operator=(const ModalScope&) = delete;
};

}  // namespace sdlback
