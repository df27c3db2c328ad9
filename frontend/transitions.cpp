#include "frontend/transitions.h"

void WipeToBlack() {}
void OpenOnTitle() {}
void OpenOnStage() {}
void OpenOnEndingScene() {}
