// The high-score table screen.
#pragma once

#include <string>

void HighScoreScreen();

// A score as the game prints it: a whole number of at least six digits with
// leading zeros ("001234", "1234567").
std::string FormatScore(double points);
