// The input script of tessivane-headless: held keys, joystick states, answers
// to questions and name dialogs, and clicks on the close button.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/backend.h"

struct ScriptKey {
  int vk;
  uint32_t from, to;
};
struct ScriptJoy {
  uint32_t from, to;
  platform::JoyState state;
};
struct ScriptName {
  bool accept;
  std::string text;
};

struct Script {
  std::vector<ScriptKey> keys;
  std::vector<ScriptJoy> joy;
  std::vector<bool> answers;
  std::vector<ScriptName> names;
  std::vector<uint32_t> closes;
  std::vector<uint32_t> terms;  // termination signals
};

// Reads a script; on a bad line returns false with "FILE:LINE: reason".
bool ParseScript(const std::string& text, const std::string& fileName, Script* script, std::string* error);
