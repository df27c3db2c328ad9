// The high-score table screen.
#pragma once

void HighScoreScreen();
// The same with its replay list open at once (back from watching a replay
// chosen there).
void HighScoreScreenWithList();
