// The player's window, keyboard and game controllers through SDL2.
#include <SDL.h>
#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

#include <cstdio>
#include <cstdlib>

#include "platform/backend.h"
#include "platform/keys.h"
#include "platform/sdl/sdl_internal.h"
#include "platform/surface.h"

namespace {

constexpr int kVkCount = 256;

struct WindowState {
  bool videoTried = false, videoReady = false;
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;
  int width = 0, height = 0;  // logical picture size
  int scale = 1;
  bool hasPicture = false;
  bool everFocused = false;
  bool shown = false;
  void (*onClose)() = nullptr;
};
WindowState gWin;

struct KeyboardState {
  bool down[kVkCount] = {};
  bool pressed[kVkCount] = {};  // pressed since the key's last query
};
KeyboardState gKeys;

SDL_GameController* gPad = nullptr;

// Physical keys (scancodes) to the virtual-key codes the game queries. The
// keypad's scancodes are the same whether NumLock is on or off.
int VirtualKey(SDL_Scancode code) {
  switch (code) {
    case SDL_SCANCODE_LEFT: return kVkLeft;
    case SDL_SCANCODE_RIGHT: return kVkRight;
    case SDL_SCANCODE_UP: return kVkUp;
    case SDL_SCANCODE_DOWN: return kVkDown;
    case SDL_SCANCODE_KP_2: return kVkNum2;
    case SDL_SCANCODE_KP_4: return kVkNum4;
    case SDL_SCANCODE_KP_6: return kVkNum6;
    case SDL_SCANCODE_KP_8: return kVkNum8;
    case SDL_SCANCODE_A: return kVkA;
    case SDL_SCANCODE_S: return kVkS;
    case SDL_SCANCODE_H: return kVkH;
    case SDL_SCANCODE_E: return kVkE;
    case SDL_SCANCODE_P: return kVkP;
    case SDL_SCANCODE_D: return kVkD;
    case SDL_SCANCODE_F: return kVkF;
    case SDL_SCANCODE_R: return kVkR;
    case SDL_SCANCODE_ESCAPE: return kVkEscape;
    case SDL_SCANCODE_SPACE: return kVkSpace;
    case SDL_SCANCODE_LCTRL:
    case SDL_SCANCODE_RCTRL: return kVkCtrl;
    default: return -1;
  }
}

void OpenFirstPad() {
  if (gPad) return;
  for (int i = 0; i < SDL_NumJoysticks(); ++i) {
    if (!SDL_IsGameController(i)) continue;
    gPad = SDL_GameControllerOpen(i);
    if (gPad) return;
  }
}

// The largest whole multiple of the picture that fits the desktop.
int ChooseScale(int width, int height) {
  SDL_DisplayMode mode;
  if (SDL_GetDesktopDisplayMode(0, &mode) != 0 || mode.w <= 0 || mode.h <= 0) return 1;
  int scale = 1;
  while (width * (scale + 1) <= mode.w && height * (scale + 1) <= mode.h) ++scale;
  return scale;
}

void DrawPicture() {
  if (!gWin.renderer || !gWin.texture || !gWin.hasPicture) return;
  if (SDL_GetWindowFlags(gWin.window) & (SDL_WINDOW_MINIMIZED | SDL_WINDOW_HIDDEN)) return;
  int outW = 0, outH = 0;
  if (SDL_GetRendererOutputSize(gWin.renderer, &outW, &outH) != 0 || outW <= 0 || outH <= 0) return;
  SDL_Rect dst;
  const int whole = SDL_min(outW / gWin.width, outH / gWin.height);
  if (whole >= 1) {
    dst.w = gWin.width * whole;
    dst.h = gWin.height * whole;
  } else if (outW * gWin.height <= outH * gWin.width) {
    dst.w = outW;
    dst.h = SDL_max(1, outW * gWin.height / gWin.width);
  } else {
    dst.h = outH;
    dst.w = SDL_max(1, outH * gWin.width / gWin.height);
  }
  dst.x = (outW - dst.w) / 2;
  dst.y = (outH - dst.h) / 2;
  SDL_SetRenderDrawColor(gWin.renderer, 0, 0, 0, 255);
  SDL_RenderClear(gWin.renderer);
  SDL_RenderCopy(gWin.renderer, gWin.texture, nullptr, &dst);
  SDL_RenderPresent(gWin.renderer);
}

void ToggleFullscreen() {
  if (!gWin.window) return;
  const bool full = (SDL_GetWindowFlags(gWin.window) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0;
  SDL_SetWindowFullscreen(gWin.window, full ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
}

}  // namespace

namespace sdlback {

bool EnsureVideo() {
  if (gWin.videoTried) return gWin.videoReady;
  gWin.videoTried = true;
  // Let the screen-saver query report the desktop's own state, and leave the
  // one close question to the game rather than quitting with the window.
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_GAMECONTROLLER | SDL_INIT_EVENTS) != 0) {
    std::fprintf(stderr, "tessivane: cannot open the display: %s\n", SDL_GetError());
    return false;
  }
  gWin.videoReady = true;
  SDL_StopTextInput();  // on only while a name is typed
  OpenFirstPad();
  return true;
}

SDL_Window* GameWindow() { return gWin.window; }
int WindowScale() { return gWin.scale; }
void RepresentLast() { DrawPicture(); }

void CallCloseHandler() {
  if (gWin.onClose) gWin.onClose();
}

void ResyncKeyboard() {
  SDL_PumpEvents();
  SDL_FlushEvents(SDL_KEYDOWN, SDL_TEXTINPUT);
  int count = 0;
  const Uint8* now = SDL_GetKeyboardState(&count);
  for (int vk = 0; vk < kVkCount; ++vk) gKeys.down[vk] = gKeys.pressed[vk] = false;
  for (int code = 0; code < count; ++code) {
    const int vk = VirtualKey(SDL_Scancode(code));
    if (vk >= 0 && now[code]) gKeys.down[vk] = true;
  }
}

bool HandleGameEvent(const SDL_Event& e) {
  switch (e.type) {
    case SDL_QUIT: return true;
    case SDL_WINDOWEVENT:
      if (!gWin.window || e.window.windowID != SDL_GetWindowID(gWin.window)) return false;
      switch (e.window.event) {
        case SDL_WINDOWEVENT_CLOSE: return true;
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
        case SDL_WINDOWEVENT_RESTORED: DrawPicture(); break;
        case SDL_WINDOWEVENT_FOCUS_GAINED: gWin.everFocused = true; break;
        default: break;
      }
      return false;
    case SDL_KEYDOWN: {
      if (gWin.window && e.key.windowID != SDL_GetWindowID(gWin.window)) return false;
      if (e.key.keysym.scancode == SDL_SCANCODE_RETURN && (e.key.keysym.mod & KMOD_ALT)) {
        if (!e.key.repeat) ToggleFullscreen();
        return false;
      }
      const int vk = VirtualKey(e.key.keysym.scancode);
      if (vk >= 0) {
        if (!gKeys.down[vk]) gKeys.pressed[vk] = true;
        gKeys.down[vk] = true;
      }
      return false;
    }
    case SDL_KEYUP: {
      const int vk = VirtualKey(e.key.keysym.scancode);
      if (vk >= 0) gKeys.down[vk] = false;
      return false;
    }
    case SDL_CONTROLLERDEVICEADDED: OpenFirstPad(); return false;
    case SDL_CONTROLLERDEVICEREMOVED:
      if (gPad && e.cdevice.which == SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(gPad))) {
        SDL_GameControllerClose(gPad);
        gPad = nullptr;
        OpenFirstPad();
      }
      return false;
    default: return false;
  }
}

}  // namespace sdlback

namespace platform {

// Without a window the game could neither be seen nor closed: it ends, with
// a failing exit status.
[[noreturn]] void NoWindow(const char* what) {
  if (what) std::fprintf(stderr, "tessivane: cannot %s: %s\n", what, SDL_GetError());
  SDL_Quit();
  std::exit(1);
}

void CreateGameWindow(const char* caption, int width, int height) {
  if (gWin.window) return;
  if (!sdlback::EnsureVideo()) NoWindow(nullptr);  // the reason is already told
  gWin.width = width;
  gWin.height = height;
  gWin.scale = ChooseScale(width, height);
  gWin.window = SDL_CreateWindow(caption, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width * gWin.scale,
                                 height * gWin.scale,
                                 SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
  if (!gWin.window) NoWindow("open the window");
  SDL_SetWindowMinimumSize(gWin.window, width / 2, height / 2);
  gWin.renderer = SDL_CreateRenderer(gWin.window, -1, SDL_RENDERER_ACCELERATED);
  if (!gWin.renderer) gWin.renderer = SDL_CreateRenderer(gWin.window, -1, SDL_RENDERER_SOFTWARE);
  if (!gWin.renderer) NoWindow("draw in the window");
  gWin.texture =
      SDL_CreateTexture(gWin.renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, width, height);
  if (gWin.texture) SDL_SetTextureScaleMode(gWin.texture, SDL_ScaleModeNearest);
}

void ShowWindow() {
  if (!gWin.window) return;
  gWin.shown = true;
  SDL_ShowWindow(gWin.window);
  SDL_RaiseWindow(gWin.window);
}

void SetWindowCloseHandler(void (*onClose)()) { gWin.onClose = onClose; }

WindowEvent PollWindowEvent() {
  if (!gWin.videoReady) return WindowEvent::None;
  SDL_Event e;
  while (SDL_PollEvent(&e)) {
    if (sdlback::HandleGameEvent(e)) return WindowEvent::CloseRequested;
  }
  return WindowEvent::None;
}

void PresentScreen(const Surface& picture) {
  if (!gWin.texture || !picture.pixels) return;
  if (picture.width != gWin.width || picture.height != gWin.height) return;
  // The title screen shows the window; a picture presented before that
  // shows it too rather than being drawn for nobody.
  if (!gWin.shown) ShowWindow();
  if (SDL_GetWindowFlags(gWin.window) & SDL_WINDOW_MINIMIZED) return;
  SDL_UpdateTexture(gWin.texture, nullptr, picture.pixels, picture.width * 4);
  gWin.hasPicture = true;
  DrawPicture();
#ifdef __EMSCRIPTEN__
  // In a browser the picture reaches the page only when the game hands the
  // thread back; every loop that presents does so at least once a frame.
  emscripten_sleep(0);
#endif
}

bool IsWindowInactive() {
  if (!gWin.window) return false;
  const Uint32 flags = SDL_GetWindowFlags(gWin.window);
  if (flags & SDL_WINDOW_HIDDEN) return false;  // not shown yet: nothing to hold for
  if (flags & SDL_WINDOW_MINIMIZED) return true;
  // A window that never got the focus (a desktop without a window manager)
  // is not held; one that had it and lost it is.
  if (flags & SDL_WINDOW_INPUT_FOCUS) gWin.everFocused = true;
  return gWin.everFocused && !(flags & SDL_WINDOW_INPUT_FOCUS);
}

bool IsKeyDown(int vk) { return vk >= 0 && vk < kVkCount && gKeys.down[vk]; }

bool QueryKey(int vk) {
  if (vk < 0 || vk >= kVkCount) return false;
  const bool result = gKeys.down[vk] || gKeys.pressed[vk];
  gKeys.pressed[vk] = false;
  return result;
}

int JoystickCount() {
  if (!gWin.videoReady) return 0;
  OpenFirstPad();
  return gPad ? 1 : 0;
}

bool ReadJoystick(int id, JoyState* state) {
  if (id != 0 || !gPad || !SDL_GameControllerGetAttached(gPad)) return false;
  SDL_GameControllerUpdate();
  auto axis = [](int value) { return uint32_t(SDL_clamp(32767 + value, 0, 65535)); };
  state->x = axis(SDL_GameControllerGetAxis(gPad, SDL_CONTROLLER_AXIS_LEFTX));
  state->y = axis(SDL_GameControllerGetAxis(gPad, SDL_CONTROLLER_AXIS_LEFTY));
  if (SDL_GameControllerGetButton(gPad, SDL_CONTROLLER_BUTTON_DPAD_LEFT)) state->x = 0;
  if (SDL_GameControllerGetButton(gPad, SDL_CONTROLLER_BUTTON_DPAD_RIGHT)) state->x = 65535;
  if (SDL_GameControllerGetButton(gPad, SDL_CONTROLLER_BUTTON_DPAD_UP)) state->y = 0;
  if (SDL_GameControllerGetButton(gPad, SDL_CONTROLLER_BUTTON_DPAD_DOWN)) state->y = 65535;
  static const SDL_GameControllerButton kFace[4] = {SDL_CONTROLLER_BUTTON_A, SDL_CONTROLLER_BUTTON_B,
                                                    SDL_CONTROLLER_BUTTON_X, SDL_CONTROLLER_BUTTON_Y};
  state->buttons = 0;
  for (int b = 0; b < 4; ++b)
    if (SDL_GameControllerGetButton(gPad, kFace[b])) state->buttons |= 1u << b;
  return true;
}

bool ReadJoystickCaps(int id, JoyCaps* caps) {
  if (id != 0 || !gPad) return false;
  *caps = JoyCaps{};
  caps->buttonCount = 4;
  return true;
}

void CloseInputMethod() {
  if (gWin.videoReady) SDL_StopTextInput();
}

}  // namespace platform
