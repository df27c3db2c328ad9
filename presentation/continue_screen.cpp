#include "presentation/continue_screen.h"

void ContinuePrompt() {}
void ContinueGame() {}
void ClearBullets() {}
