#include "frontend/options_screen.h"

#include <string>

#include "app/settings.h"
#include "frontend/overlay_menu.h"
#include "platform/backend.h"
#include "platform/blit.h"
#include "platform/input.h"
#include "platform/key_names.h"
#include "platform/keys.h"
#include "platform/language.h"
#include "platform/machine.h"
#include "platform/surface.h"
#include "platform/touch_menu.h"

namespace {

constexpr int kWhite = 15;
constexpr int kGrey = 7;
constexpr int kYellow = 14;
constexpr int kRowReset = kSettingCount;
constexpr int kRowBack = kSettingCount + 1;
constexpr int kRowCount = kSettingCount + 2;
constexpr int kTop = 62;
constexpr int kRowStep = 22;

// The value as shown: numbers and key names as they are, choices translated.
std::string ShownValue(SettingId id) {
  const std::string text = SettingText(id);
  if (kSettingRows[id].kind == SettingKind::Choice) return language::Translate(text.c_str());
  return text;
}

void StepSetting(SettingId id, int step) {
  const SettingRow& row = kSettingRows[id];
  int32_t v = Setting(id) + step;
  if (row.kind == SettingKind::Number) {
    if (v < row.minimum) v = row.minimum;
    if (v > row.maximum) v = row.maximum;
  } else {
    if (v < row.minimum) v = row.maximum;
    if (v > row.maximum) v = row.minimum;
  }
  ChangeSetting(id, v);
}

// The first bindable key that is down, or -1.
int KeyNowDown() {
  for (int vk = 1; vk < 256; ++vk)
    if (KeyName(vk) && machine::IsKeyDown(vk)) return vk;
  return -1;
}

void DrawOptions(int cursor, bool waitingForKey) {
  DrawDimmedBackdrop();
  DarkenPanel(8, 56, 316, kRowStep * kRowCount + 6);
  PrintText(105, 18, 25, kWhite, language::Translate("OPTIONS"));
  for (int r = 0; r < kRowCount; ++r) {
    const int y = kTop + kRowStep * r;
    const int colour = r == cursor ? kYellow : kWhite;
    if (r == cursor) PrintText(14, y, 13, kYellow, ">");
    if (r < kSettingCount) {
      PrintText(30, y, 13, colour, language::Translate(kSettingRows[r].label));
      const std::string value =
          r == cursor && waitingForKey ? language::Translate("press a key") : ShownValue(SettingId(r));
      PrintText(200, y, 13, colour, value);
    } else {
      PrintText(30, y, 13, colour, language::Translate(r == kRowReset ? "Reset to defaults" : "Back"));
    }
  }
  PrintText(14, 452, 9, kGrey, language::Translate("Left/Right: change   Fire/Enter: set"));
}

}  // namespace

void RunOptionsScreen() {
  int cursor = 0;
  bool waitingForKey = false;
  bool keysReleased = false;  // the key that chose the row was let go
  BeginMenuInput();
  for (;;) {
    BeginMenuFrame();
    if (waitingForKey) {
      ReadInput();
      const int vk = KeyNowDown();
      if (vk < 0 && !machine::IsKeyDown(kVkEnter)) keysReleased = true;
      if (vk >= 0 && keysReleased) {
        ChangeSetting(SettingId(cursor), vk);
        waitingForKey = false;
        BeginMenuInput();
      }
      DrawOptions(cursor, waitingForKey);
      EndMenuFrame();
      continue;
    }
    const MenuInput in = ReadMenuInput();
    if (in.cancel) return;
    if (in.up) cursor = cursor == 0 ? kRowCount - 1 : cursor - 1;
    if (in.down) cursor = cursor == kRowCount - 1 ? 0 : cursor + 1;
    if (cursor < kSettingCount && kSettingRows[cursor].kind != SettingKind::Key) {
      if (in.left) StepSetting(SettingId(cursor), -1);
      if (in.right) StepSetting(SettingId(cursor), +1);
    }
    if (in.confirm) {
      if (cursor == kRowBack) return;
      if (cursor == kRowReset) {
        ResetSettings();
      } else if (kSettingRows[cursor].kind == SettingKind::Key) {
        waitingForKey = true;
        keysReleased = false;
      } else {
        StepSetting(SettingId(cursor), +1);
      }
    }
    DrawOptions(cursor, waitingForKey);
    PublishTouchRows(8, kTop - 4, 316, kRowStep, kRowCount, cursor, TouchAction::ValueRow);
    EndMenuFrame();
  }
}
