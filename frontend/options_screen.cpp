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
#include "platform/sound_effects.h"
#include "platform/surface.h"
#include "platform/touch_menu.h"

namespace {

constexpr int kWhite = 15;
constexpr int kGrey = 7;
constexpr int kYellow = 14;
constexpr int kTop = 62;
constexpr int kRowStep = 22;
constexpr int kRowsRoom = 374;  // the rows' height at most: the notice and the help line follow
constexpr int kNoticeFrames = 70;  // about three seconds

// The largest window size that fits the desktop, read when the screen opens.
int32_t largestWindowSize = 4;
// What the screen reads of the machine when it opens: the largest window
// size, and these bits when the touch controls' and the online scores' rows
// are offered.
constexpr uint32_t kTouchRowsBit = 0x100;
constexpr uint32_t kOnlineRowsBit = 0x200;

// The rows: the settings this build offers, then "Reset to defaults" and "Back".
SettingId rowSetting[kSettingAllCount];
int settingRows = 0;
int RowReset() { return settingRows; }
int RowBack() { return settingRows + 1; }
int RowCount() { return settingRows + 2; }
// Rows closer together when they would not fit at the usual step.
int RowStep() { return RowCount() * kRowStep <= kRowsRoom ? kRowStep : kRowsRoom / RowCount(); }

void ChooseRows(bool online, bool touch) {
  settingRows = 0;
  for (int i = 0; i < kSettingAllCount; ++i) {
    const bool onlineRow = i == kSettingOnlineScores || i == kSettingScoreServer;
    const bool touchRow = i == kSettingTouchSide || i == kSettingTouchSize || i == kSettingTouchDrag;
    if ((online || !onlineRow) && (touch || !touchRow)) rowSetting[settingRows++] = SettingId(i);
  }
}

// A word on what the last binding did, shown for a while under the rows.
std::string notice;
int noticeFrames = 0;

void Notice(const std::string& text) {
  notice = text;
  noticeFrames = kNoticeFrames;
}

// Binds a key or pad button and says what happened when it was not simply bound.
void Bind(SettingId id, int32_t value) {
  const BindResult r = BindControl(id, value);
  if (r.outcome == BindOutcome::Swapped)
    Notice(language::Formatted(language::TranslatedLater("Swapped with %s"),
                               language::Translate(kSettingRows[r.other].label)));
  if (r.outcome == BindOutcome::Refused && r.other != id)
    Notice(language::Formatted(language::TranslatedLater("Already used by %s"),
                               language::Translate(kSettingRows[r.other].label)));
  else if (r.outcome == BindOutcome::Refused) {
    const char* name = KeyName(value);
    Notice(language::Formatted(language::TranslatedLater("%s cannot be used here"), name ? name : "?"));
  }
}

bool IsPadRow(int row) { return row >= kSettingPadFire && row <= kSettingPadPause; }

// The value as shown: numbers and key names as they are, choices translated.
std::string ShownValue(SettingId id) {
  // A saved window size that does not fit this desktop opens as "auto".
  if (id == kSettingWindowSize && Setting(id) > largestWindowSize)
    return language::Translate(kSettingRows[id].names[kWindowSizeAuto]);
  const std::string text = SettingText(id);
  if (kSettingRows[id].kind == SettingKind::Choice) return language::Translate(text.c_str());
  // An address shows without its scheme, cut to the room it has.
  if (kSettingRows[id].kind == SettingKind::Text) {
    const std::string shown = text.compare(0, 7, "http://") == 0 ? text.substr(7) : text;
    return shown.size() > 14 ? shown.substr(0, 12) + ".." : shown;
  }
  return text;
}

// Asks for the score server's address; a valid one is kept.
void AskServerAddress() {
  std::string typed = SettingString(kSettingScoreServer);
  if (!machine::RunNameDialog(language::Translate(kSettingRows[kSettingScoreServer].label),
                              language::Translate("The score server's address (http://...)"), 200, &typed))
    return;
  if (IsServerAddress(typed)) {
    ChangeTextSetting(kSettingScoreServer, typed);
  } else {
    Notice(language::Translate("Not an http:// address"));
  }
}

void StepSetting(SettingId id, int step) {
  const SettingRow& row = kSettingRows[id];
  // The effects volume sounds its sample at the new level instead (below).
  if (id != kSettingEffectsVolume) RaiseSoundEffect(SoundEffect::MenuMove);
  int32_t v = Setting(id) + step;
  int32_t maximum = row.maximum;
  // Only the window sizes that fit the desktop are offered.
  if (id == kSettingWindowSize) {
    maximum = largestWindowSize;
    if (Setting(id) > maximum) v = step > 0 ? row.minimum : maximum;
  }
  if (row.kind == SettingKind::Number) {
    if (v < row.minimum) v = row.minimum;
    if (v > maximum) v = maximum;
  } else {
    if (v < row.minimum) v = maximum;
    if (v > maximum) v = row.minimum;
  }
  if (IsPadRow(id)) {
    Bind(id, v);
    return;
  }
  ChangeSetting(id, v);
  // The effects are heard at their new level.
  if (id == kSettingEffectsVolume) RaiseSoundEffect(SoundEffect::Shot);
}

// The first bindable key that is down, or -1.
int KeyNowDown() {
  for (int vk = 1; vk < 256; ++vk)
    if (KeyName(vk) && machine::IsKeyDown(vk)) return vk;
  return -1;
}

void DrawOptions(int cursor, bool waitingForKey) {
  DrawDimmedBackdrop();
  DarkenPanel(8, 56, 316, RowStep() * RowCount() + 6);
  PrintText(105, 18, 25, kWhite, language::Translate("OPTIONS"));
  for (int r = 0; r < RowCount(); ++r) {
    const int y = kTop + RowStep() * r;
    const int colour = r == cursor ? kYellow : kWhite;
    if (r == cursor) PrintText(14, y, 13, kYellow, ">");
    if (r < settingRows) {
      PrintText(30, y, 13, colour, language::Translate(kSettingRows[rowSetting[r]].label));
      const std::string value =
          r == cursor && waitingForKey ? language::Translate("press a key") : ShownValue(rowSetting[r]);
      // An address is drawn smaller: it is longer than the other values.
      const bool address = kSettingRows[rowSetting[r]].kind == SettingKind::Text && !(r == cursor && waitingForKey);
      PrintText(200, address ? y + 2 : y, address ? 11 : 13, colour, value);
    } else {
      PrintText(30, y, 13, colour, language::Translate(r == RowReset() ? language::TranslatedLater("Reset to defaults")
                                                          : language::TranslatedLater("Back")));
    }
  }
  if (noticeFrames > 0) PrintText(14, 432, 11, kYellow, notice);
  PrintText(14, 452, 9, kGrey, language::Translate("Left/Right: change   Fire/Enter: set"));
}

}  // namespace

void RunOptionsScreen() {
  int cursor = 0;
  bool waitingForKey = false;
  bool keysReleased = false;  // the key that chose the row was let go
  noticeFrames = 0;
  const uint32_t read = machine::ReadValue(uint32_t(platform::LargestWindowSize()) |
                                           (platform::CanSendReplays() ? kOnlineRowsBit : 0) |
                                           (platform::HasTouchControls() ? kTouchRowsBit : 0));
  ChooseRows((read & kOnlineRowsBit) != 0, (read & kTouchRowsBit) != 0);
  largestWindowSize = int32_t(read & ~(kOnlineRowsBit | kTouchRowsBit));
  if (largestWindowSize < 1 || largestWindowSize > kSettingRows[kSettingWindowSize].maximum)
    largestWindowSize = kSettingRows[kSettingWindowSize].maximum;
  BeginMenuInput();
  for (;;) {
    BeginMenuFrame();
    if (noticeFrames > 0) --noticeFrames;
    if (waitingForKey) {
      ReadInput();
      const int vk = KeyNowDown();
      if (vk < 0 && !machine::IsKeyDown(kVkEnter)) keysReleased = true;
      if (vk >= 0 && keysReleased) {
        // Escape cancels, except for the pause key, which it may be.
        if (vk != kVkEscape || rowSetting[cursor] == kSettingPauseKey) {
          Bind(rowSetting[cursor], vk);
          RaiseSoundEffect(SoundEffect::MenuConfirm);
        }
        waitingForKey = false;
        BeginMenuInput();
      }
      DrawOptions(cursor, waitingForKey);
      EndMenuFrame();
      continue;
    }
    const MenuInput in = ReadMenuInput();
    if (in.cancel) return;
    if (in.up) cursor = cursor == 0 ? RowCount() - 1 : cursor - 1;
    if (in.down) cursor = cursor == RowCount() - 1 ? 0 : cursor + 1;
    if (in.up || in.down) RaiseSoundEffect(SoundEffect::MenuMove);
    const SettingKind kind = cursor < settingRows ? kSettingRows[rowSetting[cursor]].kind : SettingKind::Key;
    if (cursor < settingRows && kind != SettingKind::Key && kind != SettingKind::Text) {
      if (in.left) StepSetting(rowSetting[cursor], -1);
      if (in.right) StepSetting(rowSetting[cursor], +1);
    }
    if (in.confirm) {
      // A choice row steps (with its own sound); the other rows act.
      if (cursor >= settingRows || kind == SettingKind::Key || kind == SettingKind::Text)
        RaiseSoundEffect(SoundEffect::MenuConfirm);
      if (cursor == RowBack()) return;
      if (cursor == RowReset()) {
        ResetSettings();
      } else if (kind == SettingKind::Key) {
        waitingForKey = true;
        keysReleased = false;
      } else if (kind == SettingKind::Text) {
        AskServerAddress();
        BeginMenuInput();
      } else {
        StepSetting(rowSetting[cursor], +1);
      }
    }
    DrawOptions(cursor, waitingForKey);
    PublishTouchRows(8, kTop - 4, 316, RowStep(), RowCount(), cursor, TouchAction::ValueRow);
    EndMenuFrame();
  }
}
