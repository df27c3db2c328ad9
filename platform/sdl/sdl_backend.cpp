// Placeholder: the SDL back-end is being written.
#include <SDL.h>

#include <cstdlib>

#include "platform/backend.h"
#include "platform/surface.h"

namespace platform {
uint32_t ReadClockMs() { return SDL_GetTicks(); }
void Idle(uint32_t ms) { SDL_Delay(ms > 1 ? ms - 1 : 0); }
uint32_t RandomSeed() { return SDL_GetTicks(); }
void CreateGameWindow(const char*, int, int) {}
void ShowWindow() {}
WindowEvent PollWindowEvent() { return WindowEvent::None; }
void PresentScreen(const Surface&) {}
bool IsWindowInactive() { return false; }
bool IsKeyDown(int) { return false; }
bool QueryKey(int) { return false; }
int JoystickCount() { return 0; }
bool ReadJoystick(int, JoyState*) { return false; }
bool ReadJoystickCaps(int, JoyCaps*) { return false; }
void ShowMessage(const char*, const char*, bool) {}
bool AskYesNo(const char*, const char*) { return false; }
bool RunNameDialog(const char*, const char*, int, std::string*) { return false; }
void CloseInputMethod() {}
bool IsScreenSaverEnabled() { return false; }
void SetScreenSaverEnabled(bool) {}
bool ClaimSingleInstance() { return true; }
std::string BaseDirectory() { return "."; }
std::string DataDirectory() { return "."; }
void EndProcess() { std::exit(0); }
}  // namespace platform
