// The frame renderer and the frame-rate display.
#pragma once

void RenderFrame();
void ShowFrameRate();
