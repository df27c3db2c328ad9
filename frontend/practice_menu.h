// The practice menu: a stage the player has reached, at its start or at its
// boss, and the difficulty; then the run.
#pragma once

// Runs over the frozen picture (FreezePicture). Starts the chosen run (and
// does not return) or returns when the player goes back.
void RunPracticeMenu();
