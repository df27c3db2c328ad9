// The title's Escape menu: Options, Replays, Practice, Quit game, Back.
#pragma once

// One item: its text and what it does (nullptr: back to the title menu).
struct EscapeMenuItem {
  const char* label;
  void (*action)();
};
extern const EscapeMenuItem kEscapeMenuItems[];
extern const int kEscapeMenuItemCount;

// Runs the menu over the frozen title picture; returns when the player goes
// back to the title menu (an item may instead leave for good).
void RunEscapeMenu();
