#include "frontend/practice_menu.h"

#include <algorithm>
#include <string>

#include "app/practice.h"
#include "data/score_file.h"
#include "frontend/overlay_menu.h"
#include "platform/backend.h"
#include "platform/blit.h"
#include "platform/language.h"
#include "platform/sound_effects.h"
#include "platform/touch_menu.h"

namespace {

constexpr int kWhite = 15;
constexpr int kGrey = 7;
constexpr int kYellow = 14;
constexpr int kTop = 200;
constexpr int kRowStep = 30;
constexpr int kPoints = 15;
constexpr int kLabelX = 44;
constexpr int kValueX = 180;
// The stages the selection screen offers: 1 to the last one reached.
constexpr int kLastOfferedStage = 7;

enum Row { kRowStage, kRowStartAt, kRowDifficulty, kRowStart, kRowBack, kRowCount };

const char* const kDifficultyNames[] = {language::TranslatedLater("Normal"), language::TranslatedLater("Hard"),
                                        language::TranslatedLater("Easy")};

// What the menu last chose: offered again on the next visit.
PracticeChoice gChoice;

int LastStage() { return std::clamp(int(unlockedStage), 1, kLastOfferedStage); }

std::string ValueText(int row) {
  switch (row) {
    case kRowStage: return "< " + std::to_string(gChoice.stage) + " >";
    case kRowStartAt:
      return std::string("< ") +
             language::Translate(gChoice.boss ? language::TranslatedLater("Boss")
                                              : language::TranslatedLater("Stage")) +
             " >";
    case kRowDifficulty: return std::string("< ") + language::Translate(kDifficultyNames[gChoice.difficulty]) + " >";
    default: return std::string();
  }
}

const char* RowLabel(int row) {
  switch (row) {
    case kRowStage: return language::TranslatedLater("Stage");
    case kRowStartAt: return language::TranslatedLater("Start at");
    case kRowDifficulty: return language::TranslatedLater("Difficulty");
    case kRowStart: return language::TranslatedLater("Start");
    default: return language::TranslatedLater("Back");
  }
}

// Left (-1) or right (+1) on a row with a value: the value steps round.
void Step(int row, int by) {
  if (row == kRowStage) {
    const int last = LastStage();
    gChoice.stage = uint8_t((gChoice.stage - 1 + by + last) % last + 1);
  } else if (row == kRowStartAt) {
    gChoice.boss = !gChoice.boss;
  } else if (row == kRowDifficulty) {
    gChoice.difficulty = uint8_t((gChoice.difficulty + by + 3) % 3);
  }
}

void Draw(int cursor) {
  DrawDimmedBackdrop();
  DarkenPanel(20, 110, 324, kTop + kRowStep * kRowCount + 20 - 110);
  PrintText(60, 125, 35, kWhite, language::Translate(language::TranslatedLater("PRACTICE")));
  for (int r = 0; r < kRowCount; ++r) {
    const int y = kTop + kRowStep * r;
    const int colour = r == cursor ? kWhite : kGrey;
    if (r == cursor) PrintText(kLabelX - 16, y, kPoints, kYellow, ">");
    PrintText(kLabelX, y, kPoints, colour, language::Translate(RowLabel(r)));
    const std::string value = ValueText(r);
    if (!value.empty()) PrintText(kValueX, y, kPoints, colour, value);
  }
}

}  // namespace

void RunPracticeMenu() {
  // A stage no longer reached (a score file replaced since) is not offered.
  if (gChoice.stage < 1 || gChoice.stage > LastStage()) gChoice.stage = 1;
  int cursor = kRowStage;
  BeginMenuInput();
  for (;;) {
    BeginMenuFrame();
    const MenuInput in = ReadMenuInput();
    if (in.cancel) return;
    if (in.confirm && (cursor == kRowStart || cursor == kRowBack)) {
      RaiseSoundEffect(SoundEffect::MenuConfirm);
      if (cursor == kRowBack) return;
      StartPractice(gChoice);
    }
    if (in.up) cursor = cursor == 0 ? kRowCount - 1 : cursor - 1;
    if (in.down) cursor = cursor == kRowCount - 1 ? 0 : cursor + 1;
    if (in.left || in.right || (in.confirm && cursor < kRowStart)) Step(cursor, in.left ? -1 : 1);
    if (in.up || in.down || in.left || in.right || in.confirm) RaiseSoundEffect(SoundEffect::MenuMove);
    Draw(cursor);
    PublishTouchRows(20, kTop - 4, 324, kRowStep, kRowCount, cursor, TouchAction::ValueRow);
    EndMenuFrame();
  }
}
