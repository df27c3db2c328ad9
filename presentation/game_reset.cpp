#include "presentation/game_reset.h"

void ResetGame() {}
