#include "enemies/stage_flow.h"

void UpdateStageFlow() {}
void BuildStageBackground() {}
void FillPlainBackground() {}
