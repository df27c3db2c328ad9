// The high-score table screen.
#pragma once

void HighScoreScreen();
