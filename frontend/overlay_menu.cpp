#include "frontend/overlay_menu.h"

#include <cstring>

#include "app/app_state.h"
#include "platform/backend.h"
#include "platform/blit.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "platform/keys.h"
#include "platform/language.h"
#include "platform/surface.h"

namespace {

uint32_t backdrop[kScreenWidth * kScreenHeight];
bool menuLatched;
int32_t menuFrameStart;
uint8_t cursorTick, cursorDiv;

constexpr int kWhite = 15;
constexpr int kGrey = 7;

bool AnythingHeld() {
  return inputX != 0 || inputY != 0 || fireBits != 0 || bombBits != 0 || platform::IsKeyDown(kVkEnter) ||
         platform::IsKeyDown(kVkSpace) || platform::IsKeyDown(kVkNum8) || platform::IsKeyDown(kVkNum2) ||
         platform::IsKeyDown(kVkNum4) || platform::IsKeyDown(kVkNum6) || padButtons != 0 ||
         platform::IsKeyDown(kVkEscape) || platform::IsKeyDown(kVkPause);
}

void DrawCursor(int x, int y) {
  if (++cursorDiv == 5) {
    cursorDiv = 0;
    if (++cursorTick == 8) cursorTick = 0;
  }
  DrawMasked(imgchar[17], 40.0 * cursorTick, 0, 40, 40, 40, scrmain, x, y);
}

}  // namespace

void FreezePicture() {
  if (scrmain.pixels) std::memcpy(backdrop, scrmain.pixels, sizeof backdrop);
}

void RestorePicture() {
  if (scrmain.pixels) std::memcpy(scrmain.pixels, backdrop, sizeof backdrop);
}

void DrawDimmedBackdrop() {
  if (!scrmain.pixels) return;
  for (int i = 0; i < kScreenWidth * kScreenHeight; ++i) {
    const uint32_t p = backdrop[i];
    scrmain.pixels[i] = ((p >> 2) & 0x3F3F3F) + ((p >> 4) & 0x0F0F0F);  // about 0.31
  }
}

void BeginMenuInput() { menuLatched = true; }

MenuInput ReadMenuInput() {
  ReadInput();
  MenuInput in;
  const bool pause = PauseInputPressed();
  const bool enter = KeyPressed(kVkEnter);
  const bool space = KeyPressed(kVkSpace);
  const bool up = inputY == -1 || KeyPressed(kVkNum8);
  const bool down = inputY == 1 || KeyPressed(kVkNum2);
  const bool left = inputX == -1 || KeyPressed(kVkNum4);
  const bool right = inputX == 1 || KeyPressed(kVkNum6);
  if (menuLatched) {
    if (!AnythingHeld() && !pause) menuLatched = false;
    return in;
  }
  in.up = up;
  in.down = down && !up;
  in.left = left;
  in.right = right && !left;
  in.confirm = FirePressed() || enter || space;
  in.cancel = pause;
  if (in.up || in.down || in.left || in.right || in.confirm || in.cancel) menuLatched = true;
  return in;
}

void BeginMenuFrame() { menuFrameStart = ClockMs(); }

void EndMenuFrame() {
  RefreshScreen();
  const int32_t elapsed = ElapsedMs(ClockMs(), menuFrameStart);
  if (elapsed < kFramePeriodMs) WaitMs(kFramePeriodMs - elapsed);
  PumpMessages();
}

int RunOverlayMenu(const char* heading, const char* const* items, int count, int start) {
  int cursor = start;
  BeginMenuInput();
  for (;;) {
    BeginMenuFrame();
    const MenuInput in = ReadMenuInput();
    if (in.cancel) return -1;
    if (in.confirm) return cursor;
    if (in.up) cursor = cursor == 0 ? count - 1 : cursor - 1;
    if (in.down) cursor = cursor == count - 1 ? 0 : cursor + 1;

    DrawDimmedBackdrop();
    PrintText(70, 140, 35, kWhite, language::Translate(heading));
    const int top = 230;
    for (int i = 0; i < count; ++i)
      PrintText(120, top + 10 + 30 * i, 19, i == cursor ? kWhite : kGrey, language::Translate(items[i]));
    DrawCursor(80, top + 30 * cursor);
    EndMenuFrame();
  }
}
