// Message boxes and the name dialog of the web build: drawn in the page over
// the game (web/shell.html, Module.tessivaneDialog), modal as on the desktop:
// the game's loop waits for the answer while the browser runs on.
#include <emscripten.h>

#include <cstdint>
#include <string>

#include "platform/backend.h"
#include "platform/question_buttons.h"
#include "platform/sdl/sdl_internal.h"

namespace {

// kind: 0 message, 1 critical message, 2 yes/no, 3 name. Returns 1 for OK or
// Yes, 0 for No or a closed dialog; a typed name goes to `out` (UTF-8, cut
// to `outSize` - 1 bytes).
// clang-format off
EM_ASYNC_JS(int, AskPage, (int kind, const char* title, const char* text, int maxChars, char* out, int outSize), {
  const answer = await Module.tessivaneDialog({
    kind : kind,
    title : UTF8ToString(title),
    text : UTF8ToString(text),
    maxChars : maxChars
  });
  if (kind == 3 && answer !== null && answer !== false) {
    stringToUTF8(String(answer), out, outSize);
    return 1;
  }
  return answer === true ? 1 : 0;
});
// clang-format on

// The first `maxChars` characters of UTF-8 text.
std::string FirstCharacters(const std::string& s, int maxChars) {
  size_t pos = 0;
  for (int n = 0; pos < s.size() && n < maxChars; ++n) {
    ++pos;
    while (pos < s.size() && (uint8_t(s[pos]) & 0xC0) == 0x80) ++pos;
  }
  return s.substr(0, pos);
}

}  // namespace

namespace platform {

void ShowMessage(const char* text, const char* title, bool criticalIcon) {
  AskPage(criticalIcon ? 1 : 0, title, text, 0, nullptr, 0);
  if (sdlback::GameWindow()) sdlback::ResyncKeyboard();
}

void SetQuestionButtons(const std::string&, const std::string&) {}  // the page's own buttons

bool AskYesNo(const char* text, const char* title) {
  const bool yes = AskPage(2, title, text, 0, nullptr, 0) == 1;
  if (sdlback::GameWindow()) sdlback::ResyncKeyboard();
  return yes;
}

bool RunNameDialog(const char* caption, const char* prompt, int maxChars, std::string* name) {
  char typed[256] = {};
  const bool ok = AskPage(3, caption, prompt, maxChars, typed, int(sizeof typed)) == 1;
  if (sdlback::GameWindow()) sdlback::ResyncKeyboard();
  if (ok) *name = FirstCharacters(typed, maxChars);
  return ok;
}

}  // namespace platform
