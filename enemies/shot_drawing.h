// Drawing of the charge glow and the player shots.
#pragma once

void DrawPlayerShots();
