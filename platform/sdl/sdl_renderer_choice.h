// Which of SDL's renderers draws the game window.
#pragma once

#include <SDL.h>

namespace sdlback {

// The renderer to ask SDL for: the player's SDL_RENDER_DRIVER when set, else
// "software" on a machine without a graphics device (an OpenGL renderer
// there runs on a software rasteriser, dearer in memory and time than SDL's
// own), else nullptr for SDL's first choice.
const char* ChooseRenderDriver(const char* playerChoice, bool hasGpu);

// True when the machine has a graphics device node (/dev/dri/card* or renderD*).
bool HasGpuDevice();

// A renderer for the window by ChooseRenderDriver; an OpenGL one found to run
// on a software rasteriser is replaced by SDL's software renderer unless the
// player asked for it. nullptr when none can be made.
SDL_Renderer* CreateCheapestRenderer(SDL_Window* window);

}  // namespace sdlback
