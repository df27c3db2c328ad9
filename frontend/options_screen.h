// The options screen: every setting of the table, reset to defaults, back.
#pragma once

// Runs over the frozen picture (FreezePicture) until the player leaves it.
void RunOptionsScreen();
