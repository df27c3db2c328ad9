// The player's settings: one table row each (name in the settings file,
// label on the options screen, kind, range and default), their current
// values, and the settings file in the player's configuration folder.
#pragma once

#include <cstdint>
#include <string>

enum SettingId : int {
  kSettingMusicVolume,
  kSettingEffectsVolume,
  kSettingLanguage,
  kSettingFullScreen,
  kSettingScaling,
  kSettingWindowSize,
  kSettingFireKey,
  kSettingFireKey2,
  kSettingBombKey,
  kSettingBombKey2,
  kSettingPauseKey,
  kSettingPadFire,
  kSettingPadBomb,
  kSettingPadPause,
  kSettingReduceFlashing,
  kSettingCount,  // the settings kept in the game's state
  // Settings added later: not part of the game's state; written to the file
  // and shown in tessivane-headless's dump only once set.
  kSettingOnlineScores = kSettingCount,
  kSettingScoreServer,
  // The touch controls' settings, offered only where the back-end has touch
  // controls (platform::HasTouchControls).
  kSettingTouchSide,
  kSettingTouchSize,
  kSettingTouchDrag,
  kSettingAllCount
};

enum class SettingKind : uint8_t {
  Number,  // minimum..maximum, written as a number
  Choice,  // 0..maximum, written as names[value]
  Key,     // a virtual-key code, written as its key name
  Text,    // text (SettingString), written as it is
};

struct SettingRow {
  const char* name;   // key in the settings file and the dump
  const char* label;  // options screen text (English; translated when shown)
  SettingKind kind;
  int32_t minimum, maximum;
  int32_t defaultValue;
  const char* const* names;      // Choice: the value names
  void (*apply)(int32_t value);  // told of every change and of the loaded value; may be null
  const char* defaultText = nullptr;  // Text: the default
};
extern const SettingRow kSettingRows[kSettingAllCount];

// Values of the Choice settings with a meaning in code.
constexpr int32_t kScalingAuto = 0, kScalingSharp = 1, kScalingFill = 2;
constexpr int32_t kWindowSizeAuto = 0;  // 1..4: that whole multiple
// Pad buttons are numbered from 0: buttons 1..4, Start, Back, the shoulders.
constexpr int32_t kPadButtonCount = 8;
constexpr int32_t kTouchSideRight = 0, kTouchSideLeft = 1;
constexpr int32_t kTouchSizeSmall = 0, kTouchSizeMedium = 1, kTouchSizeLarge = 2;
// The drag: the ship's movement for the finger's, in hundredths, by value.
constexpr int32_t kTouchDragPercent[] = {75, 100, 150, 200};
constexpr bool IsTouchSetting(int id) { return id >= kSettingCount && id < kSettingAllCount; }

extern int32_t settingValues[kSettingAllCount];

inline int32_t Setting(SettingId id) { return settingValues[id]; }
// The value of a Text setting (its settingValues entry stays 0).
const std::string& SettingString(SettingId id);
// Sets it without telling anyone or writing the file (the file's reading).
void SetSettingString(SettingId id, const std::string& text);
// Settings added after the file and the dump had their shape: at their
// default they are not added to a settings file that lacks them, nor shown
// in tessivane-headless's dump.
constexpr bool IsLaterSetting(int id) { return id >= kSettingCount && id < kSettingAllCount; }
bool IsAtDefault(SettingId id);
// A score server's address as the settings take it: http://host[:port][/path],
// printable, without spaces, at most 200 bytes.
bool IsServerAddress(const std::string& text);
// The value's text as written in the settings file ("6", "fill", "Escape").
std::string SettingText(SettingId id);
// Parses a value's text; false when it is not a valid value of the setting.
bool ParseSettingText(SettingId id, const char* text, int32_t* value);

// Sets every value to its default without telling anyone (start-up state).
void SetDefaultSettings();
// Reads the settings file (a missing one means defaults; a damaged value
// keeps its default with one line on standard error) and applies every value.
void LoadSettings();
// A value for this run only, winning over the settings file (for tools and
// tests); it is written to the file only if the player changes settings.
void OverrideSetting(SettingId id, int32_t value);
// Gives every setting its row's apply procedure once (after the window opened).
void ApplyAllSettings();
// Changes one setting, applies it and writes the file when it changed.
void ChangeSetting(SettingId id, int32_t value);
// Changes a Text setting (a valid value) and writes the file when it changed.
void ChangeTextSetting(SettingId id, const std::string& text);
// How the options screen binds a control (a key row or a pad-button row).
enum class BindOutcome : uint8_t {
  Bound,    // the row holds the value now
  Swapped,  // another row held it and took this row's old value in exchange
  Refused,  // not a value this row may hold (nothing changed)
};
struct BindResult {
  BindOutcome outcome;
  SettingId other;  // Swapped: the row that took the old value
};
// Binds `value` to row `id` so that no two rows of the same kind (keys; pad
// buttons) ever share one: a row already holding it takes `id`'s old value.
// Escape, Pause and the screens' own letters (H, E, P, R) are refused for the
// fire and bomb keys (Escape leaves menus, Pause always pauses, E on the
// title asks for an easy game); the pause key may be any bindable key.
// Applies and writes the file once.
BindResult BindControl(SettingId id, int32_t value);
// Settings read from a file where two keys (or two pad buttons) share one, or
// a fire or bomb key is Escape or Pause, would trap the player: those
// controls go back to their defaults (with one line on standard error).
void KeepControlsApart();
// Takes the display's full-screen state (switched by Alt+Enter) into the
// settings, so that it is kept for the next start.
void FollowFullScreenShortcut();
// Every setting back to its default, applied, and the file written.
void ResetSettings();

// The settings file: $XDG_CONFIG_HOME/tessivane/settings.ini.
std::string SettingsPath();
// Reads settings from INI text, keeping entries it does not know for the
// next write. `origin` names the text in messages.
void ReadSettingsText(const std::string& text, const char* origin);
// The INI text of the current values and the kept unknown entries.
std::string SettingsText();
// Writes the file atomically; false (with one line on standard error the
// first time) when it cannot be written.
bool SaveSettings();
