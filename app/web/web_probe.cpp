// What the page (and its browser test) can read of the running game: a few
// globals as JSON, the same names and values as tessivane-headless's dump.
#include <emscripten.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/state_json.h"
#include "app/state_registry.h"
#include "data/score_file.h"

namespace {

// The members shown, by their names in the dump.
const char* const kShown[] = {"gameMode",  "stageNo",   "wave",          "score",      "playerX",    "playerY",
                              "scrollPos", "paused",    "settingValues", "joystickId", "padButtons", "inputX",
                              "inputY",    "fireLatch", "chargeLevel",   "shotKind",   "shotX",      "hiNames",
                              "bombs",     "bombPhase", "cursorY",       "chargeFlash"};

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
    AppendStateEntry(json, *e);
  }
  json += '}';
  return json.c_str();
}
