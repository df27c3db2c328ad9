// The vertical-blind screen transitions.
#pragma once

void WipeToBlack();
void OpenOnTitle();
void OpenOnStage();
// The same with the stage scrolled to its end, where its boss comes in.
void OpenOnStageBoss();
void OpenOnEndingScene();
