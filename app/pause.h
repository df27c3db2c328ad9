// The pause during play: the frozen, dimmed picture with a small menu.
#pragma once

#include <cstdint>

// 1 while the game is paused (the pause menu or the options opened from it).
extern int16_t paused;

// At the start of a main loop pass: in play (modes 0, 1, 2 and 4), a press
// of a pause input or a window that lost the focus opens the pause menu and
// returns when play resumes. Quitting from it does not return.
void PauseIfAsked();
