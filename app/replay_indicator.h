// The word in the picture's corner while a replay is watched in the game.
#pragma once

#include <string>

// "REPLAY" (translated), with the viewer's speed ("REPLAY x4"); "PRACTICE"
// (translated) during practice; otherwise "". The game hands it to SetCornerLabel (platform/screenshot.h).
std::string ReplayIndicator();
