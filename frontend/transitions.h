// The vertical-blind screen transitions.
#pragma once

void WipeToBlack();
void OpenOnTitle();
void OpenOnStage();
void OpenOnEndingScene();

// Clears scrmain and copies the 330 x 460 view of scrback at scrollPos.
void DrawBackground();
