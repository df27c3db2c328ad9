// The settings file: INI text read with inih, written whole and atomically.
#include <ini.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/settings.h"
#include "platform/files.h"
#include "platform/machine.h"

namespace {

constexpr const char* kSection = "settings";
constexpr size_t kMaxSettingsBytes = 64 * 1024;

// Entries of the file this version does not know, kept for the next write.
struct KeptEntry {
  std::string section, name, value;
};
std::vector<KeptEntry> keptEntries;
bool saveFailureTold = false;

struct ReadContext {
  const char* origin;
};

int OnEntry(void* user, const char* section, const char* name, const char* value) {
  const ReadContext& context = *static_cast<const ReadContext*>(user);
  if (std::strcmp(section, kSection) == 0) {
    for (int i = 0; i < kSettingCount; ++i) {
      if (std::strcmp(kSettingRows[i].name, name) != 0) continue;
      int32_t v = 0;
      if (ParseSettingText(SettingId(i), value, &v)) {
        settingValues[i] = v;
      } else {
        settingValues[i] = kSettingRows[i].defaultValue;
        std::fprintf(stderr, "tessivane: %s: %s = '%s' is not a valid value; using %s\n", context.origin, name,
                     value, SettingText(SettingId(i)).c_str());
      }
      return 1;
    }
  }
  for (KeptEntry& e : keptEntries) {
    if (e.section == section && e.name == name) {
      e.value = value;
      return 1;
    }
  }
  keptEntries.push_back({section, name, value});
  return 1;
}

}  // namespace

std::string SettingsPath() {
  const std::string home = files::ConfigHome();
  if (home.empty()) return std::string();
  return home + "/tessivane/settings.ini";
}

void ReadSettingsText(const std::string& text, const char* origin) {
  keptEntries.clear();
  ReadContext context{origin};
  const int result = ini_parse_string(text.c_str(), OnEntry, &context);
  if (result > 0)
    std::fprintf(stderr, "tessivane: %s:%d: a line that is not 'name = value' was skipped\n", origin, result);
}

std::string SettingsText() {
  std::string out = "# Tessivane settings, written by the game (unknown entries are kept).\n[settings]\n";
  for (int i = 0; i < kSettingCount; ++i)
    out += std::string(kSettingRows[i].name) + " = " + SettingText(SettingId(i)) + "\n";
  for (const KeptEntry& e : keptEntries)
    if (e.section == kSection) out += e.name + " = " + e.value + "\n";
  std::string section = kSection;
  for (const KeptEntry& e : keptEntries) {
    if (e.section == kSection) continue;
    if (e.section != section) {
      section = e.section;
      out += "\n[" + section + "]\n";
    }
    out += e.name + " = " + e.value + "\n";
  }
  return out;
}

namespace {

// Values given for this run only (a tool's option): they win over the file
// and are never written unless the player changes them.
bool overridden[kSettingCount];
int32_t overrideValues[kSettingCount];

void LoadSettingsFile();

}  // namespace

void OverrideSetting(SettingId id, int32_t value) {
  overridden[id] = true;
  overrideValues[id] = value;
}

void LoadSettings() {
  LoadSettingsFile();
  for (int i = 0; i < kSettingCount; ++i)
    if (overridden[i]) settingValues[i] = overrideValues[i];
  KeepControlsApart();
}

namespace {

void LoadSettingsFile() {
  SetDefaultSettings();
  keptEntries.clear();
  const std::string path = SettingsPath();
  if (path.empty()) return;
  std::vector<uint8_t> bytes;
  int error = 0;
  if (!files::ReadWholeFile(path, kMaxSettingsBytes, &bytes, &error)) {
    if (error != ENOENT)
      std::fprintf(stderr, "tessivane: cannot read %s: %s; using the default settings\n", path.c_str(),
                   std::strerror(error));
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
  if (!path.empty()) {
    const std::string folder = path.substr(0, path.rfind('/'));
    const std::string text = SettingsText();
    saved =
        files::MakeFolders(folder, &error) && files::ReplaceFileAtomically(path, text.data(), text.size(), &error);
  }
  if (!saved && !saveFailureTold) {
    saveFailureTold = true;
    std::fprintf(stderr, "tessivane: cannot write the settings to %s: %s; they last until the game ends\n",
                 path.empty() ? "the configuration folder" : path.c_str(), std::strerror(error));
  }
  return saved;
}
