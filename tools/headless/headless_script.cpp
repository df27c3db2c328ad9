#include "tools/headless/headless_script.h"

#include <cerrno>
#include <cstdlib>
#include <sstream>

#include "platform/keys.h"

namespace {

struct KeyName {
  const char* name;
  int vk;
};
// clang-format off
constexpr KeyName kKeyNames[] = {
    {"Left", kVkLeft}, {"Right", kVkRight}, {"Up", kVkUp},     {"Down", kVkDown},
    {"A", kVkA},       {"S", kVkS},         {"H", kVkH},       {"E", kVkE},
    {"P", kVkP},       {"D", kVkD},         {"F", kVkF},       {"Ctrl", kVkCtrl},
    {"Num2", kVkNum2}, {"Num4", kVkNum4},   {"Num6", kVkNum6}, {"Num8", kVkNum8},
    {"R", kVkR},       {"Escape", kVkEscape}, {"Space", kVkSpace},
};
// clang-format on
static_assert(sizeof kKeyNames / sizeof kKeyNames[0] == 19, "every scriptable key has a name");

int KeyCode(const std::string& name) {
  for (const KeyName& k : kKeyNames)
    if (name == k.name) return k.vk;
  return -1;
}

// A whole unsigned decimal number within `limit`.
bool ParseNumber(const std::string& word, uint64_t limit, uint32_t* value) {
  if (word.empty() || word.size() > 10) return false;
  for (char c : word)
    if (c < '0' || c > '9') return false;
  const uint64_t v = std::strtoull(word.c_str(), nullptr, 10);
  if (v > limit) return false;
  *value = uint32_t(v);
  return true;
}

std::string Trim(const std::string& s) {
  const size_t a = s.find_first_not_of(" \t\r");
  if (a == std::string::npos) return std::string();
  const size_t b = s.find_last_not_of(" \t\r");
  return s.substr(a, b - a + 1);
}

std::vector<std::string> Words(const std::string& s) {
  std::istringstream in(s);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

}  // namespace

bool ParseScript(const std::string& text, const std::string& fileName, Script* script, std::string* error) {
  std::istringstream in(text);
  std::string raw;
  int lineNo = 0;
  auto fail = [&](const std::string& why) {
    *error = fileName + ":" + std::to_string(lineNo) + ": " + why;
    return false;
  };
  while (std::getline(in, raw)) {
    ++lineNo;
    std::string line = Trim(raw);
    if (line.empty() || line[0] == '#') continue;
    // A name is taken whole, so that it may hold any character.
    if (line.compare(0, 5, "name ") == 0 || line == "name") {
      const std::string name = Trim(line.substr(4));
      if (name.empty()) return fail("'name' needs the text to type (or use 'name-cancel')");
      script->names.push_back({true, name});
      continue;
    }
    const size_t hash = line.find('#');
    if (hash != std::string::npos) line = Trim(line.substr(0, hash));
    const std::vector<std::string> w = Words(line);
    if (w[0] == "name-cancel") {
      if (w.size() != 1) return fail("'name-cancel' takes nothing after it");
      script->names.push_back({false, std::string()});
      continue;
    }
    if (w[0] == "box") {
      if (w.size() != 2 || (w[1] != "yes" && w[1] != "no")) return fail("expected 'box yes' or 'box no'");
      script->answers.push_back(w[1] == "yes");
      continue;
    }
    uint32_t from = 0;
    if (!ParseNumber(w[0], 0xFFFFFFFFu, &from)) return fail("unknown line '" + line + "'");
    if (w.size() == 2 && w[1] == "close") {
      script->closes.push_back(from);
      continue;
    }
    uint32_t to = 0;
    if (w.size() < 3 || !ParseNumber(w[1], 0xFFFFFFFFu, &to))
      return fail("expected 'FROM TO KEY...', 'FROM TO Joy X Y BUTTONS' or 'AT close'");
    if (to <= from) return fail("the end time must be after the start time");
    if (w[2] == "Joy") {
      platform::JoyState s;
      if (w.size() != 6 || !ParseNumber(w[3], 65535, &s.x) || !ParseNumber(w[4], 65535, &s.y) ||
          !ParseNumber(w[5], 15, &s.buttons))
        return fail("expected 'FROM TO Joy X Y BUTTONS' with X, Y in 0..65535 and BUTTONS in 0..15");
      script->joy.push_back({from, to, s});
      continue;
    }
    for (size_t i = 2; i < w.size(); ++i) {
      const int vk = KeyCode(w[i]);
      if (vk < 0)
        return fail("unknown key '" + w[i] +
                    "' (keys: Left Right Up Down A S H E P D F Ctrl Num2 Num4 Num6 Num8 R Escape Space)");
      script->keys.push_back({vk, from, to});
    }
  }
  return true;
}
