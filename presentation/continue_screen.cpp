#include "presentation/continue_screen.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>

#include "app/app_state.h"
#include "app/main_loop.h"
#include "app/practice.h"
#include "platform/backend.h"
#include "platform/blit.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "platform/key_names.h"
#include "platform/machine.h"
#include "platform/sound_effects.h"
#include "platform/surface.h"
#include "platform/touch_menu.h"
#include "presentation/game_over.h"
#include "presentation/renderer.h"
#include "world/effects.h"
#include "world/world_reset.h"
#include "world/world_state.h"

namespace {

constexpr int32_t kGlowFramePeriodMs = 47;
constexpr int kWhite = 15;
constexpr int kAnswerPoints = 18;

// Puts the player back into play after a continue.
void RestartAfterContinue() {
  bombRadius = 0;
  bombRadius2 = 0;
  RenderFrame();
  ClearShotSlots();
  fireLatch = -1;
  nextShotSlot = 0;
  chargeLevel = 0;
  chargeGauge = 0;
  blinkPhase = 0;
  if (easyMode == 0) score = float(std::floor(double(score) / 3));  // the price of continuing
  shield = 3;
  gameMode = kModeContinueAccepted;
  shotCooldown = 0;
  chargeFlash = 0;
  playerBank = 0;
  deathFade = 0;
  bombs = 2;
  bombComboCount = 0;
  bombComboTimer = 0;
  invulnTimer = 17;
  fullRunFlag = 0;
  ResetBands();
  bombPhase = kBombFlash;
  ClearBullets();
}

// An answer at its place, or centred when a long key name would pass the
// screen's right edge.
void PrintAnswer(int x, int y, const std::string& text) {
  const int width = platform::TextWidth(kAnswerPoints, text);
  if (x + width > kScreenWidth) x = std::max(0, (kScreenWidth - width) / 2);
  PrintText(x, y, kAnswerPoints, kWhite, text);
}

}  // namespace

std::string ContinueAnswerText(const char* answer, int vk) {
  const char* name = KeyName(vk);
  std::string key = name ? name : "?";
  for (char& c : key) c = char(std::toupper(static_cast<unsigned char>(c)));
  return std::string(answer) + "･･PUSH " + key + " KEY";
}

void ContinuePrompt() {
  RenderFrame();
  if (InPractice()) EndPractice();  // a practice ends with the ship
  PrintText(55, 170, 35, kWhite, "CONTINUE?");
  // The answers name the keys that give them: the fire and bomb keys as
  // bound (A and S by default).
  PrintAnswer(67, 240, ContinueAnswerText("YES", buttonKeys[0]));
  PrintAnswer(80, 270, ContinueAnswerText("NO", buttonKeys[1]));
  RefreshScreen();
  FlushInput();
  inputLatch = -1;  // a key still held from the game must be released first

  // The answers' lines, for a touch screen.
  const TouchItem answers[] = {{40, 232, 252, 30, TouchAction::Fire}, {40, 262, 252, 30, TouchAction::Bomb}};
  // No frame pacing here: each pass yields the processor for a moment.
  for (;;) {
    PublishTouchItems(answers, 2, -1);
    ReadInput();
    if (inputLatch == 0 && (fireBits & 5) != 0) {
      PublishTouchItems(nullptr, 0, -1);  // the question is answered
      RaiseSoundEffect(SoundEffect::Continue);
      ContinueGame();
      return;
    }
    if (inputLatch == 0 && (bombBits & 10) != 0) {
      PublishTouchItems(nullptr, 0, -1);
      GameOver();
      return;
    }
    if (fireBits == 0 && bombBits == 0) inputLatch = 0;
    PumpMessages();
    machine::Idle(1);
  }
}

void ContinueGame() {
  for (;;) {
    frameStartMs = ClockMs();
    if (bombRadius < 0 || bombRadius > 191) {
      RestartAfterContinue();
      return;
    }
    bombRadius = int16_t(bombRadius + 12);
    bombRadius2 = int16_t(bombRadius2 + 12);
    // The rings accumulate: the screen is not cleared between them.
    StretchOr(imgchar[kRoundGlowSheet], 0, 0, bombRadius, bombRadius2, scrmain, playerX + 22 - bombRadius / 2.0,
              playerY + 32 - bombRadius2 / 2.0, 40, 40);
    RefreshScreen();
    PaceFrame(kGlowFramePeriodMs);
    PumpMessages();
  }
}

void ClearBullets() {
  for (int k = 0; k < kBulletSlots; ++k)
    if (bulletKind[k] != kBulletFree) bulletKind[k] = kBulletFree;
  if (bannerTimer != 0 && stageNo == 5 && bonusState == 0) {
    bonusState = 1;
    bonusX = 142;
    bonusY = -2700;
  }
}
