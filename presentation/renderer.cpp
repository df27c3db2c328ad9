#include "presentation/renderer.h"

void RenderFrame() {}
void ShowFrameRate() {}
