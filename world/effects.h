// Effect timers, the bomb flash, explosions, the death sequence, and the STAGE banner.
#pragma once

void UpdateEffects();
void ResetBands();
void DrawStageBanner();
