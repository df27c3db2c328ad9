// The continue prompt and the restart of play after a continue.
#pragma once

void ContinuePrompt();
void ContinueGame();
void ClearBullets();
