// The game-over screen and the high-score name prompt.
#pragma once

void GameOver();
void PromptHighScoreName();
