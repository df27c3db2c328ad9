// The settings file: INI text read and written line by line
// (app/settings_text.h), replaced whole and atomically.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/printable_text.h"
#include "app/settings.h"
#include "app/settings_text.h"
#include "platform/files.h"
#include "platform/machine.h"

namespace {

// A settings file longer than this is not read, and not written over.
constexpr size_t kMaxSettingsBytes = 256 * 1024;

// The file as last read: its lines are written back with the current values.
settings_text::Document document;
bool saveFailureTold = false;
// The file could not be read although it exists: it is left as it is.
bool fileRefused = false;

const char* const* SettingNames() {
  static const char* names[kSettingAllCount];
  for (int i = 0; i < kSettingAllCount; ++i) names[i] = kSettingRows[i].name;
  return names;
}

}  // namespace

std::string SettingsPath() {
  const std::string home = files::ConfigHome();
  if (home.empty()) return std::string();
  return home + "/" + files::GameFolderName() + "/settings.ini";
}

void ReadSettingsText(const std::string& text, const char* origin) {
  document = settings_text::Parse(text, SettingNames(), kSettingAllCount);
  for (const settings_text::Value& v : document.values) {
    const int i = v.setting;
    int32_t value = 0;
    if (ParseSettingText(SettingId(i), v.text.c_str(), &value) && v.text.find('\0') == std::string::npos) {
      settingValues[i] = value;
    } else {
      settingValues[i] = kSettingRows[i].defaultValue;
      std::fprintf(stderr, "tessivane: %s:%d: %s = '%s' is not a valid value; using %s\n", origin, v.lineNumber,
                   kSettingRows[i].name, PrintableText(v.text).c_str(), SettingText(SettingId(i)).c_str());
    }
  }
  if (document.firstBadLine > 0)
    std::fprintf(stderr, "tessivane: %s:%d: a line that is not 'name = value' is kept as it is\n", origin,
                 document.firstBadLine);
}

std::string SettingsText() {
  std::vector<std::string> values;
  for (int i = 0; i < kSettingAllCount; ++i) values.push_back(SettingText(SettingId(i)));
  // A touch setting at its default is not added to a file that lacks it, so
  // that builds without touch controls write the file they always wrote.
  std::vector<bool> inFile(kSettingAllCount, false);
  for (const settings_text::Line& line : document.lines)
    if (line.setting >= 0) inFile[size_t(line.setting)] = true;
  for (int i = kSettingCount; i < kSettingAllCount; ++i)
    if (!inFile[size_t(i)] && Setting(SettingId(i)) == kSettingRows[i].defaultValue) values[size_t(i)].clear();
  return settings_text::Write(document, SettingNames(), values);
}

namespace {

// Values given for this run only (a tool's option): they win over the file
// and are never written unless the player changes them.
bool overridden[kSettingAllCount];
int32_t overrideValues[kSettingAllCount];

void LoadSettingsFile();

}  // namespace

void OverrideSetting(SettingId id, int32_t value) {
  overridden[id] = true;
  overrideValues[id] = value;
}

void LoadSettings() {
  LoadSettingsFile();
  for (int i = 0; i < kSettingAllCount; ++i)
    if (overridden[i]) settingValues[i] = overrideValues[i];
  KeepControlsApart();
}

namespace {

void LoadSettingsFile() {
  SetDefaultSettings();
  document = settings_text::Document();
  fileRefused = false;
  const std::string path = SettingsPath();
  if (path.empty()) return;
  std::vector<uint8_t> bytes;
  int error = 0;
  if (files::ReadWholeFile(path, kMaxSettingsBytes + 1, &bytes, &error) && bytes.size() > kMaxSettingsBytes)
    error = EFBIG;
  if (error != 0) {
    if (error == ENOENT) return;
    // It may hold the player's settings: this run does not write over it.
    fileRefused = true;
    std::fprintf(
        stderr,
        "tessivane: cannot read %s (%s); this run uses the default settings and leaves the file as it is\n",
        path.c_str(), files::ErrorText(error).c_str());
    return;
  }
  ReadSettingsText(std::string(bytes.begin(), bytes.end()), path.c_str());
}

}  // namespace

bool SaveSettings() {
  // A replay being watched replays its player's option changes; the
  // watcher's own settings file stays as it is.
  if (machine::IsPlayingBack()) return true;
  const std::string path = SettingsPath();
  int error = ENOENT;
  bool saved = false;
  if (fileRefused) return false;
  if (!path.empty()) {
    const std::string folder = path.substr(0, path.rfind('/'));
    const std::string text = SettingsText();
    saved =
        files::MakeFolders(folder, &error) && files::ReplaceFileAtomically(path, text.data(), text.size(), &error);
  }
  if (!saved && !saveFailureTold) {
    saveFailureTold = true;
    std::fprintf(stderr, "tessivane: cannot write the settings to %s: %s; they last until the game ends\n",
                 path.empty() ? "the configuration folder" : path.c_str(), files::ErrorText(error).c_str());
  }
  return saved;
}
