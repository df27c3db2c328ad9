// The main loop, its frame pacing and the handling of the game modes.
#pragma once

// Thrown by MainLoop to unwind to the top level.
struct MainLoopEntry {};

// Enters the main loop afresh. The caller is abandoned: control unwinds to the
// one top-level loop, so no call nesting grows from one game to the next.
[[noreturn]] void MainLoop();
// The top level: runs passes for ever, starting over at each MainLoop entry.
[[noreturn]] void RunMainLoop();
// One pass (one frame) of the main loop.
void MainLoopPass();
// The world steps of a frame, in their fixed order (each looks at gameMode).
void RunWorldSteps();
// The window timer's tick, once a second.
void Timer1_Timer();
// Ends a frame: notes the clock and waits until `periodMs` have passed since
// frameStartMs (at once when the frame already took that long).
void PaceFrame(int periodMs);
