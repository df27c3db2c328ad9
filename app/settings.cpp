#include "app/settings.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/backend.h"
#include "platform/input.h"
#include "platform/key_names.h"
#include "platform/keys.h"
#include "platform/language.h"
#include "platform/sound_effects.h"

using language::TranslatedLater;

namespace {

void ApplyMusicVolume(int32_t volume) { platform::SetMusicVolume(volume); }
void ApplyEffectsVolume(int32_t volume) { ApplyEffectsVolumeSetting(volume); }
void ApplyLanguage(int32_t choice) { ApplyLanguageSetting(choice); }

void ApplyDisplay(int32_t) {
  platform::SetDisplay(Setting(kSettingFullScreen) != 0, Setting(kSettingScaling), Setting(kSettingWindowSize));
}

void ApplyControls(int32_t) {
  SetControls(Setting(kSettingFireKey), Setting(kSettingFireKey2), Setting(kSettingBombKey),
              Setting(kSettingBombKey2), Setting(kSettingPauseKey), Setting(kSettingPadFire),
              Setting(kSettingPadBomb), Setting(kSettingPadPause));
}

const char* const kLanguageNames[] = {TranslatedLater("auto"), TranslatedLater("en"), TranslatedLater("ja")};
const char* const kOffOn[] = {TranslatedLater("off"), TranslatedLater("on")};
const char* const kWindowOrFull[] = {TranslatedLater("window"), TranslatedLater("fullscreen")};
const char* const kScalingNames[] = {TranslatedLater("auto"), TranslatedLater("sharp"), TranslatedLater("fill")};
const char* const kWindowSizeNames[] = {TranslatedLater("auto"), TranslatedLater("1x"), TranslatedLater("2x"),
                                        TranslatedLater("3x"), TranslatedLater("4x")};
void ApplyTouchControls(int32_t) {
  platform::SetTouchControls(Setting(kSettingTouchSide) == kTouchSideLeft, Setting(kSettingTouchSize),
                             kTouchDragPercent[Setting(kSettingTouchDrag)]);
}

const char* const kPadButtonNames[kPadButtonCount] = {"1", "2", "3", "4", "start", "back", "lb", "rb"};

const char* const kTouchSideNames[] = {TranslatedLater("right"), TranslatedLater("left")};
const char* const kTouchSizeNames[] = {TranslatedLater("small"), TranslatedLater("medium"), TranslatedLater("large")};
const char* const kTouchDragNames[] = {"0.75", "1", "1.5", "2"};
static_assert(sizeof kTouchDragNames / sizeof kTouchDragNames[0] ==
              sizeof kTouchDragPercent / sizeof kTouchDragPercent[0], "a name for every drag");

constexpr int32_t kNoKey = -1;

}  // namespace

// clang-format off
const SettingRow kSettingRows[kSettingAllCount] = {
    {"music_volume",    TranslatedLater("Music volume"),    SettingKind::Number, 0, 10, 10,        nullptr,          ApplyMusicVolume},
    {"effects_volume",  TranslatedLater("Effects volume"),  SettingKind::Number, 0, 10, 6,         nullptr,          ApplyEffectsVolume},
    {"language",        TranslatedLater("Language"),        SettingKind::Choice, 0, 2,  0,         kLanguageNames,   ApplyLanguage},
    {"display",         TranslatedLater("Display"),         SettingKind::Choice, 0, 1,  0,         kWindowOrFull,    ApplyDisplay},
    {"scaling",         TranslatedLater("Scaling"),         SettingKind::Choice, 0, 2,  kScalingAuto, kScalingNames, ApplyDisplay},
    {"window_size",     TranslatedLater("Window size"),     SettingKind::Choice, 0, 4,  kWindowSizeAuto, kWindowSizeNames, ApplyDisplay},
    {"fire_key",        TranslatedLater("Fire key"),        SettingKind::Key,    0, 0,  kVkA,      nullptr,          ApplyControls},
    {"fire_key_2",      TranslatedLater("Fire key 2"),      SettingKind::Key,    0, 0,  kVkZ,      nullptr,          ApplyControls},
    {"bomb_key",        TranslatedLater("Bomb key"),        SettingKind::Key,    0, 0,  kVkS,      nullptr,          ApplyControls},
    {"bomb_key_2",      TranslatedLater("Bomb key 2"),      SettingKind::Key,    0, 0,  kVkX,      nullptr,          ApplyControls},
    {"pause_key",       TranslatedLater("Pause key"),       SettingKind::Key,    0, 0,  kVkEscape, nullptr,          ApplyControls},
    {"pad_fire",        TranslatedLater("Pad fire"),        SettingKind::Choice, 0, kPadButtonCount - 1, 0, kPadButtonNames, ApplyControls},
    {"pad_bomb",        TranslatedLater("Pad bomb"),        SettingKind::Choice, 0, kPadButtonCount - 1, 1, kPadButtonNames, ApplyControls},
    {"pad_pause",       TranslatedLater("Pad pause"),       SettingKind::Choice, 0, kPadButtonCount - 1, 4, kPadButtonNames, ApplyControls},
    {"reduce_flashing", TranslatedLater("Reduce flashing"), SettingKind::Choice, 0, 1,  0,         kOffOn,           nullptr},
    {"online_scores",   TranslatedLater("Online scores"),   SettingKind::Choice, 0, 1,  0,         kOffOn,           nullptr},
    {"score_server",    TranslatedLater("Score server"),    SettingKind::Text,   0, 0,  0,         nullptr,          nullptr, "http://127.0.0.1:8081"},
    {"touch_buttons",   TranslatedLater("Touch buttons"),   SettingKind::Choice, 0, 1,  kTouchSideRight, kTouchSideNames, ApplyTouchControls},
    {"touch_button_size", TranslatedLater("Button size"),   SettingKind::Choice, 0, 2,  kTouchSizeMedium, kTouchSizeNames, ApplyTouchControls},
    {"touch_drag",      TranslatedLater("Drag speed"),      SettingKind::Choice, 0, 3,  1,         kTouchDragNames,  ApplyTouchControls},
};
// clang-format on

int32_t settingValues[kSettingAllCount];

namespace {
std::string settingStrings[kSettingAllCount];
}  // namespace

const std::string& SettingString(SettingId id) { return settingStrings[id]; }

void SetSettingString(SettingId id, const std::string& text) { settingStrings[id] = text; }

std::string SettingText(SettingId id) {
  const SettingRow& row = kSettingRows[id];
  const int32_t v = settingValues[id];
  switch (row.kind) {
    case SettingKind::Number: return std::to_string(v);
    case SettingKind::Choice: return v >= 0 && v <= row.maximum ? row.names[v] : "";
    case SettingKind::Key: {
      const char* name = KeyName(v);
      return name ? name : "";
    }
    case SettingKind::Text: return settingStrings[id];
  }
  return std::string();
}

bool IsServerAddress(const std::string& text) {
  constexpr size_t kLongest = 200;
  const std::string scheme = "http://";
  if (text.size() > kLongest || text.compare(0, scheme.size(), scheme) != 0) return false;
  if (text.size() == scheme.size() || text[scheme.size()] == '/') return false;  // no host
  for (char c : text)
    if (c <= ' ' || c > '~') return false;
  return true;
}

bool IsAtDefault(SettingId id) {
  const SettingRow& row = kSettingRows[id];
  return row.kind == SettingKind::Text ? settingStrings[id] == row.defaultText : settingValues[id] == row.defaultValue;
}

bool ParseSettingText(SettingId id, const char* text, int32_t* value) {
  const SettingRow& row = kSettingRows[id];
  switch (row.kind) {
    case SettingKind::Number: {
      if (!text[0] || std::strlen(text) > 4) return false;
      for (const char* c = text; *c; ++c)
        if (*c < '0' || *c > '9') return false;
      const int32_t v = int32_t(std::atoi(text));
      if (v < row.minimum || v > row.maximum) return false;
      *value = v;
      return true;
    }
    case SettingKind::Choice:
      for (int32_t v = 0; v <= row.maximum; ++v) {
        if (std::strcmp(row.names[v], text) == 0) {
          *value = v;
          return true;
        }
      }
      return false;
    case SettingKind::Key: {
      const int vk = KeyFromName(text);
      if (vk == kNoKey) return false;
      *value = vk;
      return true;
    }
    case SettingKind::Text:
      if (!IsServerAddress(text)) return false;
      *value = 0;
      return true;
  }
  return false;
}

void SetDefaultSettings() {
  for (int i = 0; i < kSettingAllCount; ++i) {
    settingValues[i] = kSettingRows[i].defaultValue;
    settingStrings[i] = kSettingRows[i].defaultText ? kSettingRows[i].defaultText : "";
  }
}

void ApplyAllSettings() {
  for (int i = 0; i < kSettingAllCount; ++i)
    if (kSettingRows[i].apply) kSettingRows[i].apply(settingValues[i]);
}

void ChangeSetting(SettingId id, int32_t value) {
  if (settingValues[id] == value) return;
  settingValues[id] = value;
  if (kSettingRows[id].apply) kSettingRows[id].apply(value);
  SaveSettings();
}

void ChangeTextSetting(SettingId id, const std::string& text) {
  if (settingStrings[id] == text) return;
  settingStrings[id] = text;
  SaveSettings();
}

namespace {

bool IsKeyRow(int id) { return id >= kSettingFireKey && id <= kSettingPauseKey; }
bool IsPadRow(int id) { return id >= kSettingPadFire && id <= kSettingPadPause; }
// Keys with a meaning of their own where fire and bomb also act: Escape and
// Pause, and the letters of the title (H, E), the high-score table (H, R, and
// B for the score board) and the stage selection (P). As a fire or bomb key
// one would act twice: fire bound to E would start a normal game where E asks
// for an easy one. (A settings file that binds one is still taken as it is.)
bool IsScreenKey(int32_t vk) {
  return vk == kVkEscape || vk == kVkPause || vk == kVkH || vk == kVkE || vk == kVkP || vk == kVkR || vk == kVkB;
}
constexpr int kKeyRows[2] = {kSettingFireKey, kSettingPauseKey};
constexpr int kPadRows[2] = {kSettingPadFire, kSettingPadPause};

}  // namespace

BindResult BindControl(SettingId id, int32_t value) {
  const bool keyRow = IsKeyRow(id);
  if (!keyRow && !IsPadRow(id)) return {BindOutcome::Refused, id};
  if (keyRow && (KeyName(value) == nullptr || (id != kSettingPauseKey && IsScreenKey(value))))
    return {BindOutcome::Refused, id};
  if (!keyRow && (value < 0 || value > kSettingRows[id].maximum)) return {BindOutcome::Refused, id};
  if (settingValues[id] == value) return {BindOutcome::Bound, id};
  BindResult result{BindOutcome::Bound, id};
  const int32_t old = settingValues[id];
  const int* rows = keyRow ? kKeyRows : kPadRows;  // the rows of the same kind
  for (int other = rows[0]; other <= rows[1]; ++other) {
    if (other == id || settingValues[other] != value) continue;
    // The old value must suit the row that takes it; a fire or bomb row that
    // would get Escape or Pause refuses the exchange instead.
    if (keyRow && other != kSettingPauseKey && IsScreenKey(old))
      return {BindOutcome::Refused, SettingId(other)};
    settingValues[other] = old;
    result = {BindOutcome::Swapped, SettingId(other)};
  }
  settingValues[id] = value;
  if (kSettingRows[id].apply) kSettingRows[id].apply(value);
  SaveSettings();
  return result;
}

void KeepControlsApart() {
  auto apart = [](int first, int last) {
    for (int a = first; a <= last; ++a) {
      if (IsKeyRow(a) && a != kSettingPauseKey &&
          (settingValues[a] == kVkEscape || settingValues[a] == kVkPause))
        return false;
      for (int b = a + 1; b <= last; ++b)
        if (settingValues[a] == settingValues[b]) return false;
    }
    return true;
  };
  for (const int* rows : {kKeyRows, kPadRows}) {
    if (apart(rows[0], rows[1])) continue;
    std::fprintf(stderr, "tessivane: two controls share %s; those controls are back at their defaults\n",
                 rows == kKeyRows ? "a key" : "a pad button");
    for (int i = rows[0]; i <= rows[1]; ++i) settingValues[i] = kSettingRows[i].defaultValue;
  }
}

void FollowFullScreenShortcut() { ChangeSetting(kSettingFullScreen, platform::IsFullScreen() ? 1 : 0); }

void ResetSettings() {
  SetDefaultSettings();
  ApplyAllSettings();
  SaveSettings();
}
