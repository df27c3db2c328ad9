// Message boxes and the modal name dialog of the SDL back-end.
#include <SDL.h>

#include <cstdio>
#include <string>

#include "platform/backend.h"
#include "platform/question_buttons.h"
#include "platform/posix/line_breaks.h"
#include "platform/sdl/sdl_internal.h"
#include "platform/surface.h"

namespace {

// The name dialog's client area and controls, in its own pixels.
constexpr int kDialogWidth = 373, kDialogHeight = 67;
constexpr SDL_Rect kLabel = {40, 8, 300, 14};
constexpr int kLabelMargin = 8;  // a longer prompt is centred, this far from the edges at least
constexpr SDL_Rect kTextBox = {88, 24, 177, 18};
constexpr SDL_Rect kOkButton = {144, 48, 65, 17};
constexpr int kDialogPoints = 9;
constexpr uint32_t kFace = 0xF0F0F0, kInk = 0x000000, kWhite = 0xFFFFFF, kEdge = 0x7A7A7A, kShade = 0xA0A0A0;

uint32_t gDialogPixels[kDialogWidth * kDialogHeight];
std::string gYes = "Yes", gNo = "No";

SDL_Window* ParentWindow() {
  SDL_Window* w = sdlback::GameWindow();
  if (w && (SDL_GetWindowFlags(w) & SDL_WINDOW_SHOWN)) return w;
  return nullptr;
}

size_t CodepointCount(const std::string& s) {
  size_t n = 0;
  for (unsigned char c : s)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}

// Appends as many whole characters of `text` as `maxChars` allows.
void AppendLimited(std::string& name, const char* text, int maxChars) {
  size_t count = CodepointCount(name);
  for (size_t i = 0; text[i] != 0;) {
    size_t len = 1;
    while (text[i + len] != 0 && (static_cast<unsigned char>(text[i + len]) & 0xC0) == 0x80) ++len;
    if (count >= size_t(maxChars)) return;
    name.append(text + i, len);
    ++count;
    i += len;
  }
}

void RemoveLastCharacter(std::string& s) {
  while (!s.empty()) {
    const unsigned char c = static_cast<unsigned char>(s.back());
    s.pop_back();
    if ((c & 0xC0) != 0x80) return;
  }
}

void FillRect(Surface& s, const SDL_Rect& r, uint32_t rgb) {
  for (int y = SDL_max(r.y, 0); y < SDL_min(r.y + r.h, s.height); ++y)
    for (int x = SDL_max(r.x, 0); x < SDL_min(r.x + r.w, s.width); ++x) s.pixels[y * s.width + x] = rgb;
}

void FrameRect(Surface& s, const SDL_Rect& r, uint32_t rgb) {
  FillRect(s, {r.x, r.y, r.w, 1}, rgb);
  FillRect(s, {r.x, r.y + r.h - 1, r.w, 1}, rgb);
  FillRect(s, {r.x, r.y, 1, r.h}, rgb);
  FillRect(s, {r.x + r.w - 1, r.y, 1, r.h}, rgb);
}

int TextWidth(const std::string& text) {
  // The face is fixed-pitch: half-width characters take half a square, and
  // the bold style one pixel more each.
  int halves = 0, characters = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if ((c & 0xC0) == 0x80) continue;
    halves += c < 0x80 ? 1 : 2;
    ++characters;
  }
  return halves * kDialogPoints * 96 / 72 / 2 + characters;
}

void DrawDialog(Surface& s, const std::string& prompt, const std::string& name, const std::string& composing,
                bool caretOn) {
  FillRect(s, {0, 0, kDialogWidth, kDialogHeight}, kFace);
  const int promptWidth = platform::TextWidth(kDialogPoints, prompt);
  const int labelX =
      promptWidth <= kLabel.w ? kLabel.x : SDL_max(kLabelMargin, (kDialogWidth - promptWidth) / 2);
  platform::DrawText(s, labelX, kLabel.y, kDialogPoints, kInk, prompt);
  FillRect(s, kTextBox, kWhite);
  FrameRect(s, kTextBox, kEdge);
  const int textX = kTextBox.x + 3, textY = kTextBox.y + 3;
  // A text longer than the box (an address) shows its end, where the caret is.
  std::string shown = name;
  const int room = kTextBox.w - 6 - (composing.empty() ? 0 : TextWidth(composing));
  while (!shown.empty() && TextWidth(shown) > room) {
    size_t cut = 1;
    while (cut < shown.size() && (uint8_t(shown[cut]) & 0xC0) == 0x80) ++cut;
    shown.erase(0, cut);
  }
  platform::DrawText(s, textX, textY, kDialogPoints, kInk, shown);
  int caretX = textX + TextWidth(shown);
  if (!composing.empty()) {
    platform::DrawText(s, caretX, textY, kDialogPoints, kInk, composing);
    const int w = TextWidth(composing);
    FillRect(s, {caretX, textY + 13, w, 1}, kInk);
    caretX += w;
  }
  if (caretOn) FillRect(s, {caretX, textY, 1, 12}, kInk);
  FillRect(s, kOkButton, kFace);
  FrameRect(s, kOkButton, kEdge);
  FillRect(s, {kOkButton.x + 1, kOkButton.y + kOkButton.h - 2, kOkButton.w - 2, 1}, kShade);
  platform::DrawText(s, kOkButton.x + (kOkButton.w - TextWidth("OK")) / 2, kOkButton.y + 2, kDialogPoints, kInk,
                     "OK");
}

bool Inside(const SDL_Rect& r, int x, int y) { return x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h; }

}  // namespace

namespace platform {

void SetQuestionButtons(const std::string& yes, const std::string& no) {
  gYes = yes;
  gNo = no;
}

void ShowMessage(const char* text, const char* title, bool criticalIcon) {
  const Uint32 flags = criticalIcon ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
  sdlback::ModalScope modal;
  const std::string lines = UnixLineBreaks(text);
  if (SDL_ShowSimpleMessageBox(flags, title, lines.c_str(), ParentWindow()) != 0) {
    sdlback::CheckDisplay();  // a box lost with its display ends the game
    std::fprintf(stderr, "%s: %s\n", title, text);
  }
  if (sdlback::GameWindow()) sdlback::ResyncKeyboard();
}

bool AskYesNo(const char* text, const char* title) {
  const SDL_MessageBoxButtonData buttons[] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, gYes.c_str()},
      {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, gNo.c_str()},
  };
  const std::string lines = UnixLineBreaks(text);
  const SDL_MessageBoxData data = {0, ParentWindow(), title, lines.c_str(), 2, buttons, nullptr};
  int chosen = 0;
  sdlback::ModalScope modal;
  if (SDL_ShowMessageBox(&data, &chosen) != 0) {
    // A box lost with its display ends the game. Otherwise no box can be
    // shown: the request stands (a close that can never be confirmed would
    // leave the player no way out).
    sdlback::CheckDisplay();
    std::fprintf(stderr, "%s: %s (no message box: %s)\n", title, text, SDL_GetError());
    chosen = 1;
  }
  if (sdlback::GameWindow()) sdlback::ResyncKeyboard();
  return chosen == 1;
}

bool RunNameDialog(const char* caption, const char* prompt, int maxChars, std::string* name) {
  if (!sdlback::EnsureVideo()) return false;
  const int scale = SDL_max(1, sdlback::WindowScale());
  SDL_Window* dialog = SDL_CreateWindow(caption, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                        kDialogWidth * scale, kDialogHeight * scale, SDL_WINDOW_ALLOW_HIGHDPI);
  if (!dialog) {
    std::fprintf(stderr, "tessivane: cannot open the name dialog: %s\n", SDL_GetError());
    return false;
  }
  if (SDL_Window* parent = sdlback::GameWindow()) SDL_SetWindowModalFor(dialog, parent);
  SDL_Renderer* renderer = SDL_CreateRenderer(dialog, -1, 0);
  SDL_Texture* texture = nullptr;
  if (renderer) {
    SDL_RenderSetLogicalSize(renderer, kDialogWidth, kDialogHeight);
    texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, kDialogWidth,
                                kDialogHeight);
  }
  const Uint32 dialogId = SDL_GetWindowID(dialog);
  sdlback::ModalScope modal;
  SDL_RaiseWindow(dialog);
  SDL_Rect inputRect = kTextBox;
  SDL_SetTextInputRect(&inputRect);
  SDL_StartTextInput();

  Surface surface{kDialogWidth, kDialogHeight, gDialogPixels};
  std::string typed, composing;
  bool done = false, accepted = false, dirty = true;
  bool caretOn = true;
  Uint32 caretFlip = SDL_GetTicks() + 500;

  while (!done) {
    if (dirty && renderer && texture) {
      DrawDialog(surface, prompt, typed, composing, caretOn);
      SDL_UpdateTexture(texture, nullptr, gDialogPixels, kDialogWidth * 4);
      SDL_RenderClear(renderer);
      SDL_RenderCopy(renderer, texture, nullptr, nullptr);
      SDL_RenderPresent(renderer);
      dirty = false;
    }
    SDL_Event e;
    if (!SDL_WaitEventTimeout(&e, 50)) {
      if (SDL_TICKS_PASSED(SDL_GetTicks(), caretFlip)) {
        caretOn = !caretOn;
        caretFlip = SDL_GetTicks() + 500;
        dirty = true;
      }
      continue;
    }
    switch (e.type) {
      case SDL_TEXTINPUT:
        AppendLimited(typed, e.text.text, maxChars);
        composing.clear();
        dirty = true;
        break;
      case SDL_TEXTEDITING:
        composing = e.edit.text;
        dirty = true;
        break;
      case SDL_KEYDOWN:
        if (e.key.windowID != dialogId) break;
        if (e.key.keysym.sym == SDLK_BACKSPACE && composing.empty()) {
          RemoveLastCharacter(typed);
          dirty = true;
        } else if ((e.key.keysym.sym == SDLK_RETURN || e.key.keysym.sym == SDLK_KP_ENTER) && composing.empty()) {
          accepted = done = true;
        }
        break;
      case SDL_MOUSEBUTTONUP:
        if (e.button.windowID == dialogId && e.button.button == SDL_BUTTON_LEFT &&
            Inside(kOkButton, e.button.x, e.button.y)) {
          accepted = done = true;
        }
        break;
      case SDL_WINDOWEVENT:
        if (e.window.windowID == dialogId) {
          if (e.window.event == SDL_WINDOWEVENT_CLOSE) done = true;
          if (e.window.event == SDL_WINDOWEVENT_EXPOSED) dirty = true;
        } else if (sdlback::HandleGameEvent(e)) {
          sdlback::CallCloseHandler();  // may end the program; No carries on typing
        }
        break;
      case SDL_QUIT: sdlback::CallCloseHandler(); break;
      default:
        if (e.type != SDL_KEYUP) sdlback::HandleGameEvent(e);
        break;
    }
  }

  SDL_StopTextInput();
  if (texture) SDL_DestroyTexture(texture);
  if (renderer) SDL_DestroyRenderer(renderer);
  SDL_DestroyWindow(dialog);
  sdlback::ResyncKeyboard();
  sdlback::RepresentLast();
  if (accepted) *name = typed;
  return accepted;
}

}  // namespace platform
