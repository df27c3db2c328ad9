// The frame renderer and the frame-rate display.
#pragma once

#include <string>

void RenderFrame();
void ShowFrameRate();

// The score as the status display shows it: at least six digits, leading zeros.
std::string FormatScore(float points);
