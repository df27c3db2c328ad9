#include "data/name_dialog.h"

#include "app/replay_recorder.h"
#include "data/score_file.h"
#include "platform/backend.h"
#include "platform/language.h"
#include "platform/machine.h"
#include "world/world_state.h"

namespace {

constexpr const char* kDialogCaption = language::TranslatedLater("名前を入力してください");
constexpr int kNameMaxChars = 6;

// The first `maxChars` characters of a UTF-8 text.
std::string FirstCharacters(const std::string& text, int maxChars) {
  size_t pos = 0;
  for (int n = 0; n < maxChars && pos < text.size(); ++n) {
    ++pos;
    while (pos < text.size() && (uint8_t(text[pos]) & 0xC0) == 0x80) ++pos;
  }
  return text.substr(0, pos);
}

}  // namespace

void ShowNameDialog(const std::string& prompt) {
  std::string name;
  if (machine::RunNameDialog(language::Translate(kDialogCaption), language::Translate(prompt.c_str()),
                             kNameMaxChars, &name))
    Command1_Click(name);
  // Closed without OK: the table and the file stay as they were.
}

void Command1_Click(const std::string& typedName) {
  int place = -1;
  for (int p = 0; p < kHiScoreEntries; ++p) {
    if (score > hiScores[p]) {
      place = p;
      break;
    }
  }
  if (place >= 0) {
    for (int k = kHiScoreEntries - 1; k > place; --k) {
      hiScores[k] = hiScores[k - 1];
      hiNames[k] = hiNames[k - 1];
    }
    hiScores[place] = score;
    hiNames[place] = FirstCharacters(typedName, kNameMaxChars);
    NoteTablePlace(place, hiNames[place]);
  }
  SaveScoreFile();
  platform::CloseInputMethod();
}
