// Per-frame stage logic and the stage background builders.
#pragma once

void UpdateStageFlow();
void BuildStageBackground();
void FillPlainBackground();
