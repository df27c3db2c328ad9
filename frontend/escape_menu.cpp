#include "frontend/escape_menu.h"

#include "app/startup.h"
#include "frontend/options_screen.h"
#include "frontend/overlay_menu.h"
#include "frontend/practice_menu.h"
#include "frontend/replay_list.h"
#include "platform/language.h"

namespace {

void OpenOptions() { RunOptionsScreen(); }
void OpenReplays() { ShowReplayList(false); }
void OpenPractice() { RunPracticeMenu(); }
void QuitGame() { ExitProgram(); }

constexpr int kMaxItems = 8;

}  // namespace

const EscapeMenuItem kEscapeMenuItems[] = {
    {language::TranslatedLater("Options"), OpenOptions},
    {language::TranslatedLater("Replays"), OpenReplays},
    {language::TranslatedLater("Practice"), OpenPractice},
    {language::TranslatedLater("Quit game"), QuitGame},
    {language::TranslatedLater("Back"), nullptr},
};
const int kEscapeMenuItemCount = sizeof kEscapeMenuItems / sizeof kEscapeMenuItems[0];

void RunEscapeMenu() {
  static_assert(sizeof kEscapeMenuItems / sizeof kEscapeMenuItems[0] <= kMaxItems, "the menu fits the screen");
  const char* labels[kMaxItems];
  for (int i = 0; i < kEscapeMenuItemCount; ++i) labels[i] = kEscapeMenuItems[i].label;
  FreezePicture();
  int start = 0;
  for (;;) {
    const int choice = RunOverlayMenu(language::TranslatedLater("MENU"), labels, kEscapeMenuItemCount, start);
    if (choice < 0 || !kEscapeMenuItems[choice].action) break;
    kEscapeMenuItems[choice].action();
    start = choice;
  }
  RestorePicture();
}
