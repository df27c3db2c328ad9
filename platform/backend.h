// The machine as the game sees it. Two implementations sit behind these
// functions and are chosen at link time: platform/sdl (the player's window,
// keyboard, pads and sound) and platform/headless (a virtual clock, scripted
// input and recorded output for tests and tools). Nothing here names SDL.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct Surface;

namespace platform {

// ---- Clock -----------------------------------------------------------------
// Millisecond clock; it wraps at 2^32 and callers take differences modulo 2^32.
uint32_t ReadClockMs();
// Lets up to `ms` milliseconds pass without burning the processor. The SDL
// back-end sleeps for about ms - 1 and returns early rather than late; the
// headless back-end advances its virtual clock by exactly `ms` (ms >= 1).
void Idle(uint32_t ms);
// A seed for the random numbers (the clock's in a real run, --seed headless).
uint32_t RandomSeed();

// ---- Window ----------------------------------------------------------------
// CloseRequested: the player closed the window (the game asks first).
// QuitRequested: the system asks the game to end (SIGTERM, SIGINT, SIGHUP):
// it ends at once, asking nothing.
// ScreenshotRequested: the player pressed F12 (once per press).
// FullScreenToggled: the player switched full screen with the back-end's own
// shortcut (Alt+Enter); IsFullScreen tells the new state.
enum class WindowEvent { None, CloseRequested, QuitRequested, ScreenshotRequested, FullScreenToggled };
// Opens the window (hidden until ShowWindow) with the given caption and the
// logical size of the play picture.
void CreateGameWindow(const char* caption, int width, int height);
void ShowWindow();
// Takes one pending window event out of the queue; None when it is empty.
// Quit/close requests come out as CloseRequested, once per request.
WindowEvent PollWindowEvent();
// Shows the picture (0x00RRGGBB pixels, `width` x `height`). The pixels must
// stay valid until the next call: the window may be redrawn from them.
void PresentScreen(const Surface& picture);
// True while play should hold because the window is hidden or unfocused.
bool IsWindowInactive();
// The player's display settings: full screen or a window; scaling 0 (sharp
// when the whole multiple is 2x or more in a window, else fill), 1 sharp
// (whole multiples only, letterboxed) or 2 fill (the largest size that keeps
// the aspect ratio); window size 0 (the largest whole multiple that fits the
// desktop) or 1..4 times the picture.
void SetDisplay(bool fullScreen, int scaling, int windowSize);
bool IsFullScreen();
// The largest window-size setting (1..4, whole multiples of the picture)
// whose window fits the desktop's usable area; 1 when not even 1x fits.
int LargestWindowSize();
// The game's close handler (asks the exit question). Window events are turned
// into calls of it by PumpMessages; a modal dialog of the back-end calls it
// itself when the game window's close button is clicked while it is open.
void SetWindowCloseHandler(void (*onClose)());
// Touch controls drawn by the back-end around the picture (the web page on a
// touch screen; none elsewhere): whether it has them, and the player's
// settings for them (buttons on the left-hand side; size 0 small, 1 medium,
// 2 large; the ship's movement for the finger's, in hundredths).
bool HasTouchControls();
void SetTouchControls(bool leftHanded, int size, int dragPercent);

// ---- Keyboard (virtual-key codes, see platform/keys.h) ----------------------
// Down right now.
bool IsKeyDown(int vk);
// The asynchronous query: down now, or pressed at some time since the last
// QueryKey of the same key. Forgets the remembered press.
bool QueryKey(int vk);

// ---- Joystick ----------------------------------------------------------------
struct JoyState {
  uint32_t x = 32767, y = 32767;  // 0..65535, centred at 32767
  uint32_t buttons = 0;           // bit 0 = button 1 ... bit 3 = button 4,
                                  // bit 4 Start, 5 Back, 6 and 7 the shoulders
};
struct JoyCaps {
  uint32_t xMin = 0, xMax = 65535, yMin = 0, yMax = 65535;
  uint32_t buttonCount = 0;
};
int JoystickCount();
// False when the device cannot be read (unplugged, missing).
bool ReadJoystick(int id, JoyState* state);
bool ReadJoystickCaps(int id, JoyCaps* caps);

// ---- Message boxes and the name dialog --------------------------------------
void ShowMessage(const char* text, const char* title, bool criticalIcon);
bool AskYesNo(const char* text, const char* title);  // true = Yes
// Shows the modal name dialog. `name` receives the typed text (UTF-8, at most
// `maxChars` characters). False when it was closed without OK.
bool RunNameDialog(const char* caption, const char* prompt, int maxChars, std::string* name);
// Switches the input method of the game window off (after a name was typed).
void CloseInputMethod();

// ---- System settings and process ------------------------------------------
bool IsScreenSaverEnabled();
void SetScreenSaverEnabled(bool enabled);
// True when no other copy runs for this user; holds the claim until exit.
bool ClaimSingleInstance();
// The executable's folder (or the headless --dir), without a trailing '/'.
std::string BaseDirectory();
// Folder for the writable score file: the base directory when it can be
// written, else the player's data folder.
std::string DataDirectory();
// Asks for large (2 MiB) pages behind a long-lived block that starts on a
// 2 MiB boundary; advice only: where it is refused, small pages serve.
void AdviseLargePages(void* start, size_t bytes);
// Ends the process at once with that exit status (0: the player quit). The
// headless back-end unwinds to its driver.
[[noreturn]] void EndProcess(int status = 0);

// ---- Music device: one current tune -----------------------------------------
bool OpenTune(const std::string& path);  // closes any previous tune first
void PlayTune();                         // from the current position
void RewindAndPlayTune();                // from the start
void StopTune();
void CloseTune();
bool IsTuneStopped();             // open, not playing (ended or stopped)
void SetMusicVolume(int volume);  // 0 (muted) .. 10 (full, the default)

// ---- Text ------------------------------------------------------------------
// Draws UTF-8 text with its top-left corner at (x, y), in the bold gothic face
// at `points` (96 dpi), colour 0x00RRGGBB, no background.
void DrawText(Surface& dest, int x, int y, int points, uint32_t rgb, const std::string& utf8);
// How far DrawText's pen moves for the text: its width in pixels (0 when no
// font can be found).
int TextWidth(int points, const std::string& utf8);

// ---- Online scores -----------------------------------------------------------
// Whether this build can send replays to a score server.
bool CanSendReplays();
// Sends every file named *`extension` of `outbox` to the score server at
// `serverUrl`, removing each the server took (or refused for good); the
// others stay for a later call. The SDL back-end sends on a thread of its
// own and returns at once; the headless one sends before it returns, so that
// a script meets the outcome at a fixed moment.
void SendReplays(const std::string& serverUrl, const std::string& outbox, const std::string& extension);
// 1 once after a sending failed, then 0 until another fails.
uint32_t TakeSendingFailure();
// Opens `url` in the player's web browser.
void OpenInBrowser(const std::string& url);

}  // namespace platform
