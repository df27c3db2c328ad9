#include "presentation/game_over.h"

void GameOver() {}
void PromptHighScoreName() {}
