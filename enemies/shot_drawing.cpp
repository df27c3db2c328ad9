#include "enemies/shot_drawing.h"

void DrawPlayerShots() {}
