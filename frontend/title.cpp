#include "frontend/title.h"

#include "app/app_state.h"
#include "app/main_loop.h"
#include "app/online_scores.h"
#include "app/practice.h"
#include "app/start_request.h"
#include "app/replay_recorder.h"
#include "app/startup.h"
#include "data/score_file.h"
#include "enemies/stage_flow.h"
#include "frontend/escape_menu.h"
#include "frontend/high_scores.h"
#include "frontend/practice_menu.h"
#include "frontend/replay_list.h"
#include "frontend/selection.h"
#include "frontend/transitions.h"
#include "platform/backend.h"
#include "platform/blit.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "platform/keys.h"
#include "platform/language.h"
#include "platform/machine.h"
#include "platform/music.h"
#include "platform/sound_effects.h"
#include "platform/surface.h"
#include "platform/touch_menu.h"
#include "presentation/renderer.h"
#include "presentation/screen_parts.h"
#include "world/effects.h"
#include "world/world_state.h"

namespace {

constexpr int16_t kCursorX = 80;
constexpr int16_t kRowStart = 290;
constexpr int16_t kRowHiScore = 320;
constexpr int16_t kRowDemo = 350;
constexpr int16_t kRowEnd = 380;
constexpr int16_t kRowStep = 30;

constexpr float kLogoRestHeight = 44;

// A replay could not be sent to the score server: said on this visit of the
// menu (once: the next visit asks again).
bool sendingFailedNotice = false;

struct MenuText {
  double x, y;
  const char* text;
};
// clang-format off
constexpr MenuText kMenuTexts[] = {
    {120, 300, "START"},
    {120, 330, "HISCORE"},
    {120, 360, "DEMO"},
    {120, 390, "END"},
};
// clang-format on
static_assert(sizeof(kMenuTexts) / sizeof(kMenuTexts[0]) == 4, "four menu items");

// Emblem x of medals 0..4, all at y 20.
constexpr double kMedalX[kMedalCount] = {95, 145, 195, 45, 245};

enum class Difficulty { AsReset, Hard, Easy };

void BeginScreenFrame() {
  frameStartMs = ClockMs();
  ReadInput();
}

void EndFrameWithoutScroll() {
  RefreshScreen();
  FlushInput();
  PaceFrame(kFramePeriodMs);
  PumpMessages();
}

void RestLogoAndCursor() {
  cursorX = kCursorX;
  cursorY = kRowStart;
  titleLogoSize = kLogoRestHeight;
}

// During the intro a confirm press on a free latch skips to the menu.
bool IntroSkipped() { return inputLatch == 0 && ConfirmPressed(); }

void ReleaseIntroLatch() {
  if (!KeyPressed(kVkCtrl) && !FirePressed() && !BombPressed()) inputLatch = 0;
}

void DrawFlyingShip() { DrawPlayerShip(false); }

// Phase 1: the ship climbs, turns left, turns again and leaves the top.
// Returns true when a press skipped the rest of the intro.
bool FlyShipOut() {
  while (playerY > -200) {
    BeginScreenFrame();
    if (IntroSkipped()) {
      FlushInput();
      return true;
    }
    ReleaseIntroLatch();

    const float y = playerY;
    if (y > 350) {
      playerY -= 2;
    } else if (y == 350) {
      playerBank = 2;
      playerY -= 4;
    } else if (y > 238) {
      playerY -= 4;
      playerX -= 4;
    } else if (y == 238) {
      playerBank = 4;
      playerY -= 19;
    } else {
      playerY -= 19;
      playerX += 5;
    }

    DrawBackground();
    DrawFlyingShip();
    UpdateEffects();  // the scroll step and the animation counters
    WrapTitleScroll();
    ShowFrameRate();
    EndFrameWithoutScroll();
  }
  return false;
}

void DrawFlippingLogo() {
  StretchOr(imgchar[kLogoSheet], 0, 0, 264, titleLogoSize, scrmain, 33, 92.0 - double(titleLogoSize) / 2, 264, 44);
}

// Phase 2: the logo grows from upside down past its full height, then settles.
// Returns true when a press skipped the rest of the intro.
bool FlipLogoOpen() {
  cursorX = kCursorX;
  cursorY = kRowStart;
  titleLogoSize = -74;
  bool growing = true;
  for (;;) {
    BeginScreenFrame();
    if (IntroSkipped()) {
      FlushInput();
      return true;
    }
    ReleaseIntroLatch();

    titleLogoSize += growing ? 11.0f : -10.0f;
    DrawBackground();
    DrawFlippingLogo();
    ShowFrameRate();

    bool settled = false;
    if (growing) {
      if (titleLogoSize >= 207) growing = false;
    } else if (titleLogoSize <= kLogoRestHeight) {
      settled = true;
    }
    FinishScreenFrame();
    if (settled) return false;
  }
}

[[noreturn]] void StartNewGame(Difficulty difficulty) {
  PrepareGameStart(1);
  if (difficulty == Difficulty::Hard) {
    hardMode = 1;
    easyMode = 0;
  } else if (difficulty == Difficulty::Easy) {
    hardMode = 0;
    easyMode = 1;
  }
  fullRunFlag = 1;
  EnterGame();
}

void DrawMenu() {
  DrawBackground();
  DrawMenuCursor();
  DrawMedals();
  DrawTitleLogo();
  for (const MenuText& t : kMenuTexts) PrintText(t.x, t.y, 19, 15, t.text);
  if (sendingFailedNotice)
    PrintText(4, 414, 9, 14, language::Translate("Replay not sent; sending again next start"));
  DrawPresents();
  ShowFrameRate();
}

// The backdrop of the title's menus: the title without its own items and
// cursor, so that none of them shows around a menu's panel.
void DrawTitleBackdrop() {
  DrawBackground();
  DrawMedals();
  DrawTitleLogo();
  DrawPresents();
}

// Entering the title screen, with or without its intro.
void EnterTitle() {
  gameMode = kModeTitleMenu;
  playerX = 150;
  playerY = 516;
  platform::ShowWindow();
}

}  // namespace

void DrawMenuCursor() {
  DrawMasked(imgchar[kItemSheet], 40.0 * animTick8, 0, 40, 40, 40, scrmain, cursorX, cursorY);
}

void DrawMedals() {
  for (int i = 0; i < kMedalCount; ++i) {
    if (medals[i] == kMedalEarned)
      DrawMasked(imgchar[kMedalSheet], 40.0 * animTick8, 0, 40, 40, 40, scrmain, kMedalX[i], 20);
  }
}

void DrawTitleLogo() { BlitOr(imgchar[kLogoSheet], 0, 0, 264, 44, scrmain, 33, 70); }

void DrawPresents() { PrintText(200, 430, 9, 15, "Pelkin Presents"); }

void StepAnimCounters() {
  if (++animDiv5 == 5) animDiv5 = 0;
  if (animDiv5 == 0 && ++animTick8 == 8) animTick8 = 0;
}

void WrapTitleScroll() {
  if (scrollPos == -1680.0f) scrollPos = -1720;
}

void FinishScreenFrame() {
  RefreshScreen();
  scrollPos += 1;
  WrapTitleScroll();
  FlushInput();
  PaceFrame(kFramePeriodMs);
  PumpMessages();
}

void TitleScreen() {
  // Asked to start elsewhere: a practice run, or the replay list a watched
  // replay was chosen from (then the title menu, without the intro).
  PracticeChoice practice;
  switch (TakeStartRequest(&practice)) {
    case StartAt::Practice: StartPractice(practice);
    case StartAt::TableReplayList:
      EnterTitle();
      RestLogoAndCursor();
      cursorY = kRowHiScore;
      gameMode = kModeHighScores;
      HighScoreScreenWithList();
      TitleMenu();
    case StartAt::EscapeReplayList:
      EnterTitle();
      RestLogoAndCursor();
      ShowReplayList(false);
      TitleMenu();
    case StartAt::Title: break;
  }
  EnterTitle();
  inputLatch = -1;
  if (!FlyShipOut()) FlipLogoOpen();
  RestLogoAndCursor();
  TitleMenu();
}

void ShowTitleMenu() {
  EnterTitle();
  TitleMenu();
}

void TitleMenu() {
  RestLogoAndCursor();
  inputLatch = -1;
  sendingFailedNotice = SendingFailedSinceAsked();
  for (;;) {
    BeginScreenFrame();

    if (inputLatch == 0 && (inputY == -1 || KeyPressed(kVkNum8))) {
      inputLatch = -1;
      cursorY = cursorY == kRowStart ? kRowEnd : int16_t(cursorY - kRowStep);
      RaiseSoundEffect(SoundEffect::MenuMove);
    }
    if (inputLatch == 0 && (inputY == 1 || KeyPressed(kVkNum2))) {
      inputLatch = -1;
      cursorY = cursorY == kRowEnd ? kRowStart : int16_t(cursorY + kRowStep);
      RaiseSoundEffect(SoundEffect::MenuMove);
    }
    if (inputLatch == 0 && ConfirmPressed()) {
      if (cursorY == kRowStart || cursorY == kRowHiScore || cursorY == kRowDemo || cursorY == kRowEnd)
        RaiseSoundEffect(SoundEffect::MenuConfirm);
      switch (cursorY) {
        case kRowStart: StartNewGame(Difficulty::AsReset);
        case kRowHiScore:
          gameMode = kModeHighScores;
          HighScoreScreen();
          break;
        case kRowDemo:
          gameMode = kModeQuietMusic;
          SelectionScreen();
          break;
        case kRowEnd: ExitProgram();
        default: break;
      }
    }
    if (inputLatch == 0 && KeyPressed(kVkEscape)) {
      DrawTitleBackdrop();
      RunEscapeMenu();
      inputLatch = -1;  // the key that closed it must be let go first
      FlushInput();
    }
    if (inputLatch == 0 && cursorY == kRowStart && KeyPressed(kVkH)) {
      RaiseSoundEffect(SoundEffect::MenuConfirm);
      StartNewGame(Difficulty::Hard);
    }
    if (inputLatch == 0 && cursorY == kRowStart && KeyPressed(kVkE)) {
      RaiseSoundEffect(SoundEffect::MenuConfirm);
      StartNewGame(Difficulty::Easy);
    }

    if (!KeyPressed(kVkNum2) && !KeyPressed(kVkNum8) && !KeyPressed(kVkH) && !KeyPressed(kVkE) &&
        !KeyPressed(kVkCtrl) && inputY == 0 && fireBits == 0 && bombBits == 0 && !machine::IsKeyDown(kVkEscape)) {
      inputLatch = 0;
    }

    StepAnimCounters();
    PublishTouchRows(kCursorX, kRowStart, 240, kRowStep, 4, (cursorY - kRowStart) / kRowStep);
    DrawMenu();
    FinishScreenFrame();
  }
}

void StartDemo() {
  inputLatch = -1;
  playerX = 150;
  playerY = 516;
  shield = 0;
  bombs = 0;
  frameTick = 0;
  gameMode = kModeDemo;
  WipeToBlack();
  MusicStop();
  MusicClose();
  SetUpStage(selectedStage);
  MusicOpen("pokkap.mid");
  MusicPlay();
  FlushInput();
  OpenOnStage();
  MainLoop();
}

void PrepareGameStart(uint8_t stage) {
  WipeToBlack();
  MusicStop();
  MusicClose();
  PlaceShipForStage();
  gameMode = kModePlay;
  SetUpStage(stage);
}

void EnterGame(bool atBoss) {
  NoteGameStart();
  OpenStageMusic();
  MusicPlay();
  FlushInput();
  if (atBoss) {
    OpenOnStageBoss();
  } else {
    OpenOnStage();
  }
  MainLoop();
}

void ShowPracticeMenuOnTitle() {
  EnterTitle();
  RestLogoAndCursor();
  DrawTitleBackdrop();
  RunPracticeMenu();
  TitleMenu();
}
