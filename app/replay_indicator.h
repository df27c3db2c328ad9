// The word in the picture's corner while a replay is watched in the game.
#pragma once

#include <string>

// "REPLAY" (translated), with " x4" while it runs fast; "" when no replay is
// watched. The game hands it to SetCornerLabel (platform/screenshot.h).
std::string ReplayIndicator();
