// The continue prompt and the restart of play after a continue.
#pragma once

#include <string>

// The prompt's answer line for the key `vk`: "YES･･PUSH A KEY" for A.
std::string ContinueAnswerText(const char* answer, int vk);

void ContinuePrompt();
void ContinueGame();
void ClearBullets();
