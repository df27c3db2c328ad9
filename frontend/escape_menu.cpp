#include "frontend/escape_menu.h"

#include "app/startup.h"
#include "frontend/options_screen.h"
#include "frontend/overlay_menu.h"

namespace {

void OpenOptions() { RunOptionsScreen(); }
void QuitGame() { ExitProgram(); }

constexpr int kMaxItems = 8;

}  // namespace

const EscapeMenuItem kEscapeMenuItems[] = {
    {"Options", OpenOptions},
    {"Quit game", QuitGame},
    {"Back", nullptr},
};
const int kEscapeMenuItemCount = sizeof kEscapeMenuItems / sizeof kEscapeMenuItems[0];

void RunEscapeMenu() {
  static_assert(sizeof kEscapeMenuItems / sizeof kEscapeMenuItems[0] <= kMaxItems, "the menu fits the screen");
  const char* labels[kMaxItems];
  for (int i = 0; i < kEscapeMenuItemCount; ++i) labels[i] = kEscapeMenuItems[i].label;
  FreezePicture();
  int start = 0;
  for (;;) {
    const int choice = RunOverlayMenu("MENU", labels, kEscapeMenuItemCount, start);
    if (choice < 0 || !kEscapeMenuItems[choice].action) break;
    kEscapeMenuItems[choice].action();
    start = choice;
  }
  RestorePicture();
}
