// The vertical-blind screen transitions.
#pragma once

void WipeToBlack();
void OpenOnTitle();
void OpenOnStage();
void OpenOnEndingScene();
