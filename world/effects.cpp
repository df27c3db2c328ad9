#include "world/effects.h"

void UpdateEffects() {}
void ResetBands() {}
void DrawStageBanner() {}
