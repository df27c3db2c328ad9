// Small menus drawn over the frozen, dimmed picture: the pause menu, the
// title's Escape menu and the options screen share them.
#pragma once

#include <cstdint>

// Keeps the picture on screen (scrmain) as the backdrop of the menus.
void FreezePicture();
// Puts the kept picture back into scrmain, as it was when frozen.
void RestorePicture();
// Draws the kept picture into scrmain at a third of its brightness.
void DrawDimmedBackdrop();
// Darkens a rectangle of scrmain further, behind a menu's texts.
void DarkenPanel(int x, int y, int w, int h);

// Menu input for one frame of a menu loop.
struct MenuInput {
  bool up = false, down = false, left = false, right = false;
  bool confirm = false;  // fire, Enter or Space
  bool cancel = false;   // the pause key, Pause, or the pad's pause button
};
// Reads the input (ReadInput and the menu keys) for this frame: each input
// counts on the frame its press is first seen, and nothing held when
// BeginMenuInput was called counts before it was released.
MenuInput ReadMenuInput();
void BeginMenuInput();

// Begins and ends a menu frame with the game's 43 ms pacing; the frame
// counters of play are not touched.
void BeginMenuFrame();
void EndMenuFrame();

// Runs a vertical menu of `count` items under `heading` over the dimmed
// backdrop, the cursor on item `start`. Returns the chosen item, or -1 when
// the menu was cancelled.
int RunOverlayMenu(const char* heading, const char* const* items, int count, int start);
