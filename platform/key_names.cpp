#include "platform/key_names.h"

#include <cctype>
#include <cstring>

#include "platform/keys.h"

namespace {

struct NamedKey {
  int vk;
  const char* name;
};
// clang-format off
constexpr NamedKey kNamedKeys[] = {
    {kVkSpace, "Space"}, {kVkEnter, "Enter"}, {kVkEscape, "Escape"}, {kVkPause, "Pause"},
    {kVkShift, "Shift"}, {kVkTab, "Tab"},     {kVkBackspace, "Backspace"}, {kVkCtrl, "Ctrl"},
};
constexpr const char* kLetters[26] = {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M",
                                      "N", "O", "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z"};
constexpr const char* kDigits[10] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
// clang-format on

}  // namespace

const char* KeyName(int vk) {
  if (vk >= 'A' && vk <= 'Z') return kLetters[vk - 'A'];
  if (vk >= '0' && vk <= '9') return kDigits[vk - '0'];
  for (const NamedKey& k : kNamedKeys)
    if (k.vk == vk) return k.name;
  return nullptr;
}

int KeyFromName(const char* name) {
  if (!name) return -1;
  if (std::strlen(name) == 1) {
    const int c = std::toupper(static_cast<unsigned char>(name[0]));
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return c;
    return -1;
  }
  for (const NamedKey& k : kNamedKeys)
    if (std::strcmp(k.name, name) == 0) return k.vk;
  return -1;
}
