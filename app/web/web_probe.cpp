// What the page (and its browser test) can read of the running game: a few
// globals as JSON, the same names and values as tessivane-headless's dump.
#include <emscripten.h>

#include <cstdio>
#include <string>

#include "app/app_state.h"
#include "data/score_file.h"
#include "world/world_state.h"

namespace {

// The name as a JSON string (control characters and quotes escaped).
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

}  // namespace

extern "C" EMSCRIPTEN_KEEPALIVE const char* tessivane_state_json() {
  static std::string json;
  char numbers[256];
  std::snprintf(numbers, sizeof numbers,
                "{\"gameMode\": %u, \"stageNo\": %u, \"wave\": %u, \"score\": %.9g, \"playerX\": %.9g, "
                "\"playerY\": %.9g, \"scrollPos\": %.9g, \"lowestHiScore\": %.9g, \"hiNames\": [",
                unsigned(gameMode), unsigned(stageNo), unsigned(wave), double(score), double(playerX),
                double(playerY), double(scrollPos), double(hiScores[kHiScoreEntries - 1]));
  json = numbers;
  for (int k = 0; k < kHiScoreEntries; ++k) {
    if (k) json += ", ";
    AppendJsonString(json, hiNames[k]);
  }
  json += "]}";
  return json.c_str();
}
