// Shared between the files of the headless platform.
#pragma once

void ResetHeadlessMusic();
void ResetHeadlessSoundEffects();
