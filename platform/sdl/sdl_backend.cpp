// The player's window, keyboard and game controllers through SDL2.
#include <SDL.h>
#if !defined(__EMSCRIPTEN__) && !defined(_WIN32)
#include <cairo.h>
#endif
#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/backend.h"
#include "platform/keys.h"
#include "platform/posix/picture_fit.h"
#include "platform/sdl/sdl_internal.h"
#include "platform/sdl/sdl_renderer_choice.h"
#include "platform/surface.h"
#ifdef __EMSCRIPTEN__
#include "platform/web/web_touch.h"
#endif

#ifndef __EMSCRIPTEN__
extern "C" const unsigned char tessivane_icon_begin[];
extern "C" const unsigned char tessivane_icon_end[];
#endif

namespace {

constexpr int kVkCount = 256;

struct WindowState {
  bool videoTried = false, videoReady = false;
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;
  int width = 0, height = 0;  // logical picture size
  int scale = 1;
  bool fullScreen = false;
  bool toggled = false;             // Alt+Enter since the last poll of window events
  int scaling = 0;                  // as platform::SetDisplay
  int windowSize = 0;               // 0: the largest whole multiple that fits the desktop
  SDL_Texture* enlarged = nullptr;  // the whole-multiple step of "fill"
  int enlargedMultiple = 0;
  // Without a graphics device the picture goes straight into the window's
  // own surface (no renderer): `picture` is the last one presented (the
  // caller's pixels, which outlive the frame), and `enlargedSurface` the
  // whole-multiple step of "fill".
  bool direct = false;
  SDL_Surface* picture = nullptr;
  SDL_Surface* enlargedSurface = nullptr;
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
int gScreenshotPresses = 0;  // F12 presses not yet handed to the game

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
    case SDL_SCANCODE_LCTRL:
    case SDL_SCANCODE_RCTRL: return kVkCtrl;
    case SDL_SCANCODE_ESCAPE: return kVkEscape;
    case SDL_SCANCODE_PAUSE: return kVkPause;
    case SDL_SCANCODE_F12: return kVkF12;
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_KP_ENTER: return kVkEnter;
    case SDL_SCANCODE_SPACE: return kVkSpace;
    case SDL_SCANCODE_TAB: return kVkTab;
    case SDL_SCANCODE_BACKSPACE: return kVkBackspace;
    case SDL_SCANCODE_LSHIFT:
    case SDL_SCANCODE_RSHIFT: return kVkShift;
    default:
      // Letters and digits: the game's keys (A, S, H, E, P, D, F, R) and the
      // player's own.
      if (code >= SDL_SCANCODE_A && code <= SDL_SCANCODE_Z) return 'A' + (code - SDL_SCANCODE_A);
      if (code >= SDL_SCANCODE_1 && code <= SDL_SCANCODE_9) return '1' + (code - SDL_SCANCODE_1);
      if (code == SDL_SCANCODE_0) return '0';
      return -1;
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

// The largest window setting (4x).
constexpr int kMaxWindowMultiple = 4;
// The window frame's height when the window manager does not tell it yet.
constexpr int kGuessedFrameHeight = 40;

// The room a window's inside has on its desktop: the display's usable area
// (without panels and docks) less the window's frame; 0 x 0 when unknown.
void UsableArea(SDL_Window* window, int* w, int* h) {
  *w = *h = 0;
  const int display = window ? SDL_max(0, SDL_GetWindowDisplayIndex(window)) : 0;
  SDL_Rect usable;
  if (SDL_GetDisplayUsableBounds(display, &usable) != 0 || usable.w <= 0 || usable.h <= 0) return;
  int top = 0, left = 0, bottom = 0, right = 0;
  if (!window || SDL_GetWindowBordersSize(window, &top, &left, &bottom, &right) != 0 || top + bottom == 0) {
    top = kGuessedFrameHeight;
    left = right = bottom = 0;
  }
  *w = usable.w - left - right;
  *h = usable.h - top - bottom;
}

// The whole-multiple enlargement of "fill": a target texture of the picture
// times `multiple`, drawn from the picture without smoothing and then drawn
// smoothly to the destination. Null when the renderer cannot draw to textures.
SDL_Texture* EnlargedTexture(int multiple) {
  if (gWin.enlarged && gWin.enlargedMultiple == multiple) return gWin.enlarged;
  if (gWin.enlarged) SDL_DestroyTexture(gWin.enlarged);
  gWin.enlarged = nullptr;
  gWin.enlargedMultiple = 0;
  if (!SDL_RenderTargetSupported(gWin.renderer)) return nullptr;
  gWin.enlarged = SDL_CreateTexture(gWin.renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_TARGET,
                                    gWin.width * multiple, gWin.height * multiple);
  if (!gWin.enlarged) return nullptr;
  SDL_SetTextureScaleMode(gWin.enlarged, SDL_ScaleModeLinear);
  gWin.enlargedMultiple = multiple;
  return gWin.enlarged;
}

// The bars around the picture are black; a picture that covers the whole
// output (the usual whole-multiple window) needs no clearing pass first.
void ClearAroundPicture(const SDL_Rect& dst, int outW, int outH) {
  if (dst.x == 0 && dst.y == 0 && dst.w == outW && dst.h == outH) return;
  SDL_SetRenderDrawColor(gWin.renderer, 0, 0, 0, 255);
  SDL_RenderClear(gWin.renderer);
}

// The picture `from` enlarged `multiple` times (nearest neighbour) into `to`
// at (x, y); both 32-bit pixels of one format, the area inside `to`.
void EnlargeWhole(const SDL_Surface* from, SDL_Surface* to, int x, int y, int multiple) {
  const int w = from->w, rowBytes = w * multiple * 4;
  for (int row = 0; row < from->h; ++row) {
    const uint32_t* in = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(from->pixels) + row * from->pitch);
    uint8_t* first = static_cast<uint8_t*>(to->pixels) + (y + row * multiple) * to->pitch + x * 4;
    if (multiple == 2) {
      for (int i = 0; i < w; ++i) {
        const uint64_t pair = in[i] * 0x100000001ull;  // one store a pixel pair
        std::memcpy(first + 8 * i, &pair, 8);
      }
    } else {
      uint32_t* out = reinterpret_cast<uint32_t*>(first);
      for (int i = 0; i < w; ++i)
        for (int k = 0; k < multiple; ++k) out[i * multiple + k] = in[i];
    }
    for (int k = 1; k < multiple; ++k) std::memcpy(first + k * to->pitch, first, size_t(rowBytes));
  }
}

// The direct path: the picture into the window's surface, the bars around it
// black, and the surface shown.
void DrawPictureDirect() {
  SDL_Surface* out = SDL_GetWindowSurface(gWin.window);
  if (!out || out->w <= 0 || out->h <= 0) return;
  const PictureFit fit = FitPicture(out->w, out->h, gWin.width, gWin.height, gWin.fullScreen, gWin.scaling);
  SDL_Rect dst{fit.x, fit.y, fit.w, fit.h};
  const SDL_Rect bars[4] = {{0, 0, out->w, dst.y},
                            {0, dst.y + dst.h, out->w, out->h - dst.y - dst.h},
                            {0, dst.y, dst.x, dst.h},
                            {dst.x + dst.w, dst.y, out->w - dst.x - dst.w, dst.h}};
  for (const SDL_Rect& bar : bars)
    if (bar.w > 0 && bar.h > 0) SDL_FillRect(out, &bar, SDL_MapRGB(out->format, 0, 0, 0));
  const bool sameFormat = out->format->format == gWin.picture->format->format;
  const bool whole = dst.w % gWin.width == 0 && dst.w / gWin.width == dst.h / gWin.height &&
                     dst.h % gWin.height == 0 && dst.x >= 0 && dst.y >= 0 && dst.x + dst.w <= out->w &&
                     dst.y + dst.h <= out->h;
  if (SDL_MUSTLOCK(out) && SDL_LockSurface(out) != 0) return;
  if (sameFormat && whole) {
    EnlargeWhole(gWin.picture, out, dst.x, dst.y, dst.w / gWin.width);
  } else if (sameFormat && fit.multiple > 0) {
    const int m = fit.multiple;
    if (!gWin.enlargedSurface || gWin.enlargedSurface->w != gWin.width * m) {
      SDL_FreeSurface(gWin.enlargedSurface);
      gWin.enlargedSurface =
          SDL_CreateRGBSurfaceWithFormat(0, gWin.width * m, gWin.height * m, 32, gWin.picture->format->format);
    }
    if (gWin.enlargedSurface) {
      EnlargeWhole(gWin.picture, gWin.enlargedSurface, 0, 0, m);
      SDL_SoftStretchLinear(gWin.enlargedSurface, nullptr, out, &dst);
    }
  } else {
    if (SDL_MUSTLOCK(out)) SDL_UnlockSurface(out);
    SDL_BlitScaled(gWin.picture, nullptr, out, &dst);
    SDL_UpdateWindowSurface(gWin.window);
    return;
  }
  if (SDL_MUSTLOCK(out)) SDL_UnlockSurface(out);
  SDL_UpdateWindowSurface(gWin.window);
}

void DrawPicture() {
  if (!gWin.hasPicture) return;
  if (SDL_GetWindowFlags(gWin.window) & (SDL_WINDOW_MINIMIZED | SDL_WINDOW_HIDDEN)) return;
  if (gWin.direct) {
    DrawPictureDirect();
    return;
  }
  if (!gWin.renderer || !gWin.texture) return;
  int outW = 0, outH = 0;
  if (SDL_GetRendererOutputSize(gWin.renderer, &outW, &outH) != 0 || outW <= 0 || outH <= 0) return;
  const PictureFit fit = FitPicture(outW, outH, gWin.width, gWin.height, gWin.fullScreen, gWin.scaling);
  const SDL_Rect dst{fit.x, fit.y, fit.w, fit.h};
  SDL_Texture* enlarged = fit.multiple > 0 ? EnlargedTexture(fit.multiple) : nullptr;
  if (enlarged && SDL_SetRenderTarget(gWin.renderer, enlarged) == 0) {
    SDL_RenderCopy(gWin.renderer, gWin.texture, nullptr, nullptr);
    SDL_SetRenderTarget(gWin.renderer, nullptr);
  } else {
    enlarged = nullptr;
  }
  ClearAroundPicture(dst, outW, outH);
  SDL_RenderCopy(gWin.renderer, enlarged ? enlarged : gWin.texture, nullptr, &dst);
  SDL_RenderPresent(gWin.renderer);
}

// The game's icon (the generated 64 px PNG carried in the program) on the
// window; without it the window simply keeps the desktop's default. (A web
// page has its own icon; on Windows SDL takes the program's icon resource.)
#if defined(__EMSCRIPTEN__) || defined(_WIN32)
void SetWindowIcon(SDL_Window*) {}
#else
void SetWindowIcon(SDL_Window* window) {
  struct Reader {
    const unsigned char* at;
    const unsigned char* end;
  } reader{tessivane_icon_begin, tessivane_icon_end};
  cairo_surface_t* png = cairo_image_surface_create_from_png_stream(
      [](void* closure, unsigned char* data, unsigned int length) {
        Reader* r = static_cast<Reader*>(closure);
        if (size_t(r->end - r->at) < length) return CAIRO_STATUS_READ_ERROR;
        std::memcpy(data, r->at, length);
        r->at += length;
        return CAIRO_STATUS_SUCCESS;
      },
      &reader);
  if (cairo_surface_status(png) == CAIRO_STATUS_SUCCESS &&
      cairo_image_surface_get_format(png) == CAIRO_FORMAT_ARGB32) {
    const int w = cairo_image_surface_get_width(png), h = cairo_image_surface_get_height(png);
    const int stride = cairo_image_surface_get_stride(png);
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
    if (icon) {
      // Cairo keeps colours premultiplied by alpha; SDL wants them straight.
      const unsigned char* src = cairo_image_surface_get_data(png);
      for (int y = 0; y < h; ++y) {
        const uint32_t* in = reinterpret_cast<const uint32_t*>(src + size_t(y) * stride);
        uint32_t* out =
            reinterpret_cast<uint32_t*>(static_cast<unsigned char*>(icon->pixels) + size_t(y) * icon->pitch);
        for (int x = 0; x < w; ++x) {
          const uint32_t p = in[x], a = p >> 24;
          if (a == 0 || a == 255) {
            out[x] = p;
            continue;
          }
          auto straight = [a](uint32_t c) { return SDL_min(255u, (c * 255 + a / 2) / a); };
          out[x] =
              (a << 24) | (straight((p >> 16) & 255) << 16) | (straight((p >> 8) & 255) << 8) | straight(p & 255);
        }
      }
      SDL_SetWindowIcon(window, icon);
      SDL_FreeSurface(icon);
    }
  }
  cairo_surface_destroy(png);
}
#endif

// The window for the window-size setting on this desktop (PlanWindow).
WindowPlan WantedWindow(SDL_Window* window) {
#ifdef __EMSCRIPTEN__
  // The page lays the canvas out: that whole multiple, or the largest that
  // fits the page's display.
  (void)window;
  WindowPlan plan;
  plan.multiple = gWin.windowSize >= 1 ? gWin.windowSize : 1;
  SDL_DisplayMode mode;
  if (gWin.windowSize < 1 && SDL_GetDesktopDisplayMode(0, &mode) == 0)
    plan.multiple = SDL_max(1, LargestFittingMultiple(mode.w, mode.h, gWin.width, gWin.height, kMaxWindowMultiple));
  plan.w = gWin.width * plan.multiple;
  plan.h = gWin.height * plan.multiple;
  return plan;
#else
  int w, h;
  UsableArea(window, &w, &h);
  return PlanWindow(w, h, gWin.width, gWin.height, gWin.windowSize, kMaxWindowMultiple);
#endif
}

void SizeWindow(bool force) {
  if (!gWin.window || gWin.fullScreen) return;
  const WindowPlan plan = WantedWindow(gWin.window);
  // A window the player sized by hand keeps its size until the plan changes.
  static int plannedW = 0, plannedH = 0;
  if (plan.w == plannedW && plan.h == plannedH && !force) return;
  plannedW = plan.w;
  plannedH = plan.h;
  gWin.scale = SDL_max(1, plan.multiple);
  SDL_SetWindowSize(gWin.window, plan.w, plan.h);
  SDL_SetWindowPosition(gWin.window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
}

void ToggleFullscreen() {
  if (!gWin.window) return;
  const bool full = (SDL_GetWindowFlags(gWin.window) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0;
  SDL_SetWindowFullscreen(gWin.window, full ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
  gWin.fullScreen = !full;
  if (full) SizeWindow(true);  // back to the window's chosen size
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
  // Termination signals end the game without a question (sdl_ending.cpp).
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_GAMECONTROLLER | SDL_INIT_EVENTS) != 0) {
    std::fprintf(stderr, "tessivane: cannot open the display: %s\n", SDL_GetError());
    return false;
  }
  gWin.videoReady = true;
  InstallEndingHandlers();
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
      if (e.key.keysym.scancode == SDL_SCANCODE_F12) {
        if (!e.key.repeat) ++gScreenshotPresses;
        return false;
      }
      if (e.key.keysym.scancode == SDL_SCANCODE_RETURN && (e.key.keysym.mod & KMOD_ALT)) {
        if (!e.key.repeat) {
          ToggleFullscreen();
          gWin.toggled = true;
        }
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
  const WindowPlan plan = WantedWindow(nullptr);
  gWin.scale = SDL_max(1, plan.multiple);
#ifdef __EMSCRIPTEN__
  // In a browser the page enlarges the canvas (web/shell.html); with SDL's
  // high-DPI canvas a phone's picture would fill only a corner of it.
  constexpr Uint32 kHighDpi = 0;
#else
  constexpr Uint32 kHighDpi = SDL_WINDOW_ALLOW_HIGHDPI;
#endif
  gWin.window = SDL_CreateWindow(caption, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, plan.w, plan.h,
                                 SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE | kHighDpi);
  if (!gWin.window) NoWindow("open the window");
  SDL_SetWindowMinimumSize(gWin.window, width / 2, height / 2);
  SetWindowIcon(gWin.window);
  gWin.renderer = sdlback::CreateCheapestRenderer(gWin.window);
  if (!gWin.renderer) NoWindow("draw in the window");
#ifndef __EMSCRIPTEN__
  // SDL's software renderer would copy each picture into a texture and then
  // scale it with its general blitter; the window's own surface takes it
  // whole-multiple enlarged in one pass instead.
  SDL_RendererInfo info;
  if (SDL_GetRendererInfo(gWin.renderer, &info) == 0 && std::strcmp(info.name, "software") == 0) {
    SDL_DestroyRenderer(gWin.renderer);
    gWin.renderer = nullptr;
    // A surface over the game's own picture (pointed at each presented one).
    static uint32_t blank[1];
    gWin.picture = SDL_CreateRGBSurfaceWithFormatFrom(blank, width, height, 32, width * 4, SDL_PIXELFORMAT_RGB888);
    gWin.direct = gWin.picture && SDL_GetWindowSurface(gWin.window);
    if (!gWin.direct) {
      SDL_FreeSurface(gWin.picture);
      gWin.picture = nullptr;
      gWin.renderer = SDL_CreateRenderer(gWin.window, -1, SDL_RENDERER_SOFTWARE);
      if (!gWin.renderer) NoWindow("draw in the window");
    }
  }
#endif
  if (gWin.renderer) {
    gWin.texture =
        SDL_CreateTexture(gWin.renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, width, height);
    if (gWin.texture) SDL_SetTextureScaleMode(gWin.texture, SDL_ScaleModeNearest);
  }
  if (gWin.fullScreen) SDL_SetWindowFullscreen(gWin.window, SDL_WINDOW_FULLSCREEN_DESKTOP);
}

void SetDisplay(bool fullScreen, int scaling, int windowSize) {
  gWin.scaling = scaling;
  gWin.windowSize = windowSize;
  if (!gWin.window) {
    gWin.fullScreen = fullScreen;
    return;
  }
  if (fullScreen != gWin.fullScreen) {
    SDL_SetWindowFullscreen(gWin.window, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    gWin.fullScreen = fullScreen;
    SizeWindow(true);
  } else {
    SizeWindow(false);
  }
  DrawPicture();
}

bool IsFullScreen() { return gWin.fullScreen; }

int LargestWindowSize() {
  if (!sdlback::EnsureVideo()) return 1;
  int w, h;
  UsableArea(gWin.window, &w, &h);
  return SDL_max(1, LargestFittingMultiple(w, h, gWin.width > 0 ? gWin.width : kScreenWidth,
                                           gWin.height > 0 ? gWin.height : kScreenHeight, kMaxWindowMultiple));
}

void ShowWindow() {
  if (!gWin.window) return;
  gWin.shown = true;
  SDL_ShowWindow(gWin.window);
  SDL_RaiseWindow(gWin.window);
}

void SetWindowCloseHandler(void (*onClose)()) { gWin.onClose = onClose; }

WindowEvent PollWindowEvent() {
  if (sdlback::QuitSignalled()) return WindowEvent::QuitRequested;
  if (!gWin.videoReady) return WindowEvent::None;
  SDL_Event e;
  while (SDL_PollEvent(&e)) {
    if (sdlback::HandleGameEvent(e)) return WindowEvent::CloseRequested;
    if (gScreenshotPresses > 0 || gWin.toggled) break;
  }
  if (gScreenshotPresses > 0) {
    --gScreenshotPresses;
    return WindowEvent::ScreenshotRequested;
  }
  if (gWin.toggled) {
    gWin.toggled = false;
    return WindowEvent::FullScreenToggled;
  }
  return WindowEvent::None;
}

void PresentScreen(const Surface& picture) {
  if ((!gWin.texture && !gWin.direct) || !picture.pixels) return;
  if (picture.width != gWin.width || picture.height != gWin.height) return;
  // The title screen shows the window; a picture presented before that
  // shows it too rather than being drawn for nobody.
  if (!gWin.shown) ShowWindow();
  if (SDL_GetWindowFlags(gWin.window) & SDL_WINDOW_MINIMIZED) return;
  if (gWin.direct) {
    // No copy: the game's pictures stay in place between frames (a redraw of
    // the window shows the last one presented).
    gWin.picture->pixels = picture.pixels;
  } else {
    SDL_UpdateTexture(gWin.texture, nullptr, picture.pixels, picture.width * 4);
  }
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

#ifdef __EMSCRIPTEN__
// In a browser the touch controls hold keys too (platform/web/web_touch.cpp).
bool IsKeyDown(int vk) {
  const bool touch = webtouch::KeyDown(vk);
  return (vk >= 0 && vk < kVkCount && gKeys.down[vk]) || touch;
}

bool QueryKey(int vk) {
  const bool touch = webtouch::QueryKey(vk);
  if (vk < 0 || vk >= kVkCount) return touch;
  const bool result = gKeys.down[vk] || gKeys.pressed[vk] || touch;
  gKeys.pressed[vk] = false;
  return result;
}
#else
bool IsKeyDown(int vk) { return vk >= 0 && vk < kVkCount && gKeys.down[vk]; }

bool QueryKey(int vk) {
  if (vk < 0 || vk >= kVkCount) return false;
  const bool result = gKeys.down[vk] || gKeys.pressed[vk];
  gKeys.pressed[vk] = false;
  return result;
}
#endif

// A browser makes a pad known to the page only once a button of it was
// pressed there, which is after the game looked for pads at its start. So in
// a browser the pad is always there: centred with nothing pressed until the
// player's pad (the first one the page is told of) is in use.
#ifdef __EMSCRIPTEN__
constexpr bool kPadAlwaysThere = true;
#else
constexpr bool kPadAlwaysThere = false;
#endif

int JoystickCount() {
  if (!gWin.videoReady) return 0;
  OpenFirstPad();
  return gPad || kPadAlwaysThere ? 1 : 0;
}

bool ReadJoystick(int id, JoyState* state) {
  if (kPadAlwaysThere && id == 0 && gWin.videoReady) {
    OpenFirstPad();
    if (!gPad || !SDL_GameControllerGetAttached(gPad)) {
      *state = JoyState{};
      return true;
    }
  }
  if (id != 0 || !gPad || !SDL_GameControllerGetAttached(gPad)) return false;
  SDL_GameControllerUpdate();
  auto axis = [](int value) { return uint32_t(SDL_clamp(32767 + value, 0, 65535)); };
  state->x = axis(SDL_GameControllerGetAxis(gPad, SDL_CONTROLLER_AXIS_LEFTX));
  state->y = axis(SDL_GameControllerGetAxis(gPad, SDL_CONTROLLER_AXIS_LEFTY));
  if (SDL_GameControllerGetButton(gPad, SDL_CONTROLLER_BUTTON_DPAD_LEFT)) state->x = 0;
  if (SDL_GameControllerGetButton(gPad, SDL_CONTROLLER_BUTTON_DPAD_RIGHT)) state->x = 65535;
  if (SDL_GameControllerGetButton(gPad, SDL_CONTROLLER_BUTTON_DPAD_UP)) state->y = 0;
  if (SDL_GameControllerGetButton(gPad, SDL_CONTROLLER_BUTTON_DPAD_DOWN)) state->y = 65535;
  static const SDL_GameControllerButton kFace[8] = {SDL_CONTROLLER_BUTTON_A,
                                                    SDL_CONTROLLER_BUTTON_B,
                                                    SDL_CONTROLLER_BUTTON_X,
                                                    SDL_CONTROLLER_BUTTON_Y,
                                                    SDL_CONTROLLER_BUTTON_START,
                                                    SDL_CONTROLLER_BUTTON_BACK,
                                                    SDL_CONTROLLER_BUTTON_LEFTSHOULDER,
                                                    SDL_CONTROLLER_BUTTON_RIGHTSHOULDER};
  state->buttons = 0;
  for (int b = 0; b < 8; ++b)
    if (SDL_GameControllerGetButton(gPad, kFace[b])) state->buttons |= 1u << b;
  return true;
}

bool ReadJoystickCaps(int id, JoyCaps* caps) {
  if (id != 0 || !(gPad || (kPadAlwaysThere && gWin.videoReady))) return false;
  *caps = JoyCaps{};
  caps->buttonCount = 4;
  return true;
}

void CloseInputMethod() {
  if (gWin.videoReady) SDL_StopTextInput();
}

}  // namespace platform
