// What the page (and its browser test) can read of the running game: a few
// globals as JSON, the same names and values as tessivane-headless's dump.
#include <emscripten.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/state_registry.h"
#include "data/score_file.h"

namespace {

// The members shown, by their names in the dump.
const char* const kShown[] = {"gameMode",  "stageNo",   "wave",          "score",      "playerX",    "playerY",
                              "scrollPos", "paused",    "settingValues", "joystickId", "padButtons", "inputX",
                              "inputY",    "fireLatch", "chargeLevel",   "shotKind",   "shotX",      "hiNames"};

// The text as a JSON string (control characters and quotes escaped).
void AppendJsonString(std::string& out, const std::string& s) {
  out += '"';
  for (const char c : s) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char esc[8];
      std::snprintf(esc, sizeof esc, "\\u%04x", unsigned(c));
      out += esc;
    } else {
      out += c;
    }
  }
  out += '"';
}

// One value as the dump writes it.
void AppendValue(std::string& out, const StateEntry& e, int k) {
  char buf[40];
  switch (e.type) {
    case StateType::U8:
      std::snprintf(buf, sizeof buf, "%u", unsigned(static_cast<const uint8_t*>(e.data)[k]));
      break;
    case StateType::I16: std::snprintf(buf, sizeof buf, "%d", int(static_cast<const int16_t*>(e.data)[k])); break;
    case StateType::I32: std::snprintf(buf, sizeof buf, "%d", int(static_cast<const int32_t*>(e.data)[k])); break;
    case StateType::F32: {
      const float v = static_cast<const float*>(e.data)[k];
      if (std::isfinite(v)) {
        std::snprintf(buf, sizeof buf, "%.9g", double(v));
      } else {
        std::snprintf(buf, sizeof buf, "null");
      }
      break;
    }
    case StateType::Str: AppendJsonString(out, static_cast<const std::string*>(e.data)[k]); return;
  }
  out += buf;
}

const StateEntry* FindEntry(const char* name) {
  for (int i = 0; i < kStateEntryCount; ++i)
    if (std::strcmp(kStateEntries[i].name, name) == 0) return &kStateEntries[i];
  return nullptr;
}

}  // namespace

extern "C" EMSCRIPTEN_KEEPALIVE const char* tessivane_state_json() {
  static std::string json;
  char lowest[48];
  std::snprintf(lowest, sizeof lowest, "{\"lowestHiScore\": %.9g", double(hiScores[kHiScoreEntries - 1]));
  json = lowest;
  for (const char* name : kShown) {
    const StateEntry* e = FindEntry(name);
    if (!e) continue;
    json += ", \"";
    json += name;
    json += "\": ";
    if (e->count == 1) {
      AppendValue(json, *e, 0);
    } else {
      json += '[';
      for (int k = 0; k < e->count; ++k) {
        if (k) json += ", ";
        AppendValue(json, *e, k);
      }
      json += ']';
    }
  }
  json += '}';
  return json.c_str();
}
