// The game-over screen and the high-score name prompt.
#pragma once

void GameOver();
void PromptHighScoreName();
// The way back from the game over and the ending: close the screen, change to
// the title tune and open onto the title background.
void WipeToTitle();
