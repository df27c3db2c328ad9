// Start-up and every way the program ends.
#pragma once

#include <cstdint>

// The program's entry: never returns.
[[noreturn]] void StartUp();
// The common exit steps: music off, screen saver back, end of the process.
[[noreturn]] void ExitProgram();
// The close button of the game window: asks, then ends or lets the frame go on.
void Form_Unload(int16_t& cancel);
