#include "frontend/high_scores.h"

void HighScoreScreen() {}
