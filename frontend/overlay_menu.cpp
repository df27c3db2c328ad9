#include "frontend/overlay_menu.h"

#include <algorithm>
#include <cstring>

#include "app/app_state.h"
#include "platform/backend.h"
#include "platform/blit.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "platform/keys.h"
#include "platform/language.h"
#include "platform/sheets.h"
#include "platform/sound_effects.h"
#include "platform/surface.h"
#include "platform/touch_menu.h"

namespace {

uint32_t backdrop[kScreenWidth * kScreenHeight];
MenuInput held;  // what was held at the last reading
int32_t menuFrameStart;
uint8_t cursorTick, cursorDiv;

constexpr int kWhite = 15;
constexpr int kGrey = 7;

void DrawCursor(int x, int y) {
  if (++cursorDiv == 5) {
    cursorDiv = 0;
    if (++cursorTick == 8) cursorTick = 0;
  }
  DrawMasked(imgchar[kItemSheet], 40.0 * cursorTick, 0, 40, 40, 40, scrmain, x, y);
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

// Everything counts as held at the start, so that the press that opened a
// menu does not act in it.
void DarkenPanel(int x, int y, int w, int h) { DarkenArea(scrmain, x, y, x + w, y + h); }

void BeginMenuInput() { held = MenuInput{true, true, true, true, true, true}; }

MenuInput ReadMenuInput() {
  ReadInput();
  MenuInput now;
  now.cancel = PauseInputPressed();
  const bool enter = KeyPressed(kVkEnter);
  const bool space = KeyPressed(kVkSpace);
  // Keys also count when pressed and let go between two frames (a slow
  // machine); the pad is read as it is now.
  const bool fire = KeyPressed(buttonKeys[0]);
  now.confirm = FirePressed() || fire || enter || space;
  const bool up = KeyPressed(kVkUp), down = KeyPressed(kVkDown);
  const bool left = KeyPressed(kVkLeft), right = KeyPressed(kVkRight);
  now.up = inputY == -1 || up || KeyPressed(kVkNum8);
  now.down = inputY == 1 || down || KeyPressed(kVkNum2);
  now.left = inputX == -1 || left || KeyPressed(kVkNum4);
  now.right = inputX == 1 || right || KeyPressed(kVkNum6);
  // Each input acts once per press: on the frame it is first seen.
  MenuInput in;
  in.cancel = now.cancel && !held.cancel;
  in.confirm = now.confirm && !held.confirm;
  in.up = now.up && !held.up;
  in.down = now.down && !held.down && !in.up;
  in.left = now.left && !held.left;
  in.right = now.right && !held.right && !in.left;
  held = now;
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
    if (in.confirm) {
      RaiseSoundEffect(SoundEffect::MenuConfirm);
      return cursor;
    }
    if (in.up) cursor = cursor == 0 ? count - 1 : cursor - 1;
    if (in.down) cursor = cursor == count - 1 ? 0 : cursor + 1;
    if (in.up || in.down) RaiseSoundEffect(SoundEffect::MenuMove);

    DrawDimmedBackdrop();
    const int top = 230;
    DarkenPanel(40, 125, 284, top + 30 * count + 20 - 125);
    PrintText(70, 140, 35, kWhite, language::Translate(heading));
    for (int i = 0; i < count; ++i)
      PrintText(120, top + 10 + 30 * i, 19, i == cursor ? kWhite : kGrey, language::Translate(items[i]));
    DrawCursor(80, top + 30 * cursor);
    PublishTouchRows(40, top, 284, 30, count, cursor);
    EndMenuFrame();
  }
}
