// Resets the world before the title.
#pragma once

void ResetGame();
