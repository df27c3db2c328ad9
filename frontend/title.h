// The title menu and the stage demonstration.
#pragma once

#include <cstdint>

void TitleScreen();
void StartDemo();

// The menu phase of the title alone (the title runs it after its intro, and
// returns to it from the high-score and selection screens). Never returns.
[[noreturn]] void TitleMenu();
// The title menu without the intro, as entering the title screen sets it up
// (a player who quit a game from the pause menu comes back to it).
[[noreturn]] void ShowTitleMenu();

// Starting play from a menu, in two halves around the caller's settings:
// closes the screen, stops the music, puts the ship at its start and sets up
// `stage` (SetUpStage)...
void PrepareGameStart(uint8_t stage);
// ...then starts the stage's tune, opens onto the stage (`atBoss`: at its end,
// where the boss comes in) and enters the main loop (never returns).
[[noreturn]] void EnterGame(bool atBoss = false);
// The practice menu over the title, then the title menu (never returns).
[[noreturn]] void ShowPracticeMenuOnTitle();

// Pieces shared by the front-end screens.
// The menu cursor at (cursorX, cursorY), animated by animTick8.
void DrawMenuCursor();
// The emblem of every earned medal (entry 10) above the logo.
void DrawMedals();
// The logo at rest at (33, 70).
void DrawTitleLogo();
// "Pelkin Presents" at the foot of the screen.
void DrawPresents();
// animDiv5 counts 0..4; each return to 0 steps animTick8 through 0..7.
void StepAnimCounters();
// Wraps the title background: -1680 goes back to -1720 (a 40-row loop).
void WrapTitleScroll();
// The end of a front-end frame after its drawing: show scrmain, scroll the
// title background by 1, forget the input, wait out the 43 ms, serve the window.
void FinishScreenFrame();
