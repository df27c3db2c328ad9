#include "presentation/ending.h"

#include <algorithm>
#include <cmath>

#include "app/app_state.h"
#include "app/main_loop.h"
#include "app/replay_recorder.h"
#include "data/score_file.h"
#include "enemies/stage_flow.h"
#include "frontend/transitions.h"
#include "platform/blit.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "platform/music.h"
#include "platform/surface.h"
#include "presentation/game_over.h"
#include "presentation/renderer.h"
#include "presentation/screen_parts.h"
#include "presentation/stage_clear.h"
#include "presentation/white_flash.h"
#include "world/effects.h"
#include "world/trig.h"
#include "world/world_state.h"

uint8_t finFadeLevel;

namespace {

constexpr int kWhite = 15;

// The eight blast points of the flash (second and third in this order here).
struct BlastPoint {
  int16_t x, y;
};
// clang-format off
constexpr BlastPoint kEndingBlastPoints[kBandSlots] = {
    { 30,  70}, {310, 260}, {240, 350}, { 20, 320},
    {270,  40}, {160,  90}, {150, 420}, {100, 200},
};
// clang-format on

// One line of a staff page: x is the group's position plus `dx`.
struct StaffLine {
  uint8_t page;
  uint8_t group;  // 1: at bannerX, 2: at line2X
  int16_t dx;
  int16_t y;
  int16_t size;
  const char* text;
};
// clang-format off
constexpr StaffLine kStaffLines[] = {
    // page group   dx    y  size  text
    {6, 1,  -20, 170, 27, "Tessivane"},
    {6, 1,   25, 235, 27, "STAFF"},
    {6, 2,  -11, 170, 25, "プログラム"},
    {6, 2,  -26, 200, 25, "グラフィック"},
    {6, 2,   19, 250, 25, "ぺるき"},
    {5, 1,  -79, 170, 25, "ＢＧＭ(フリー素材)"},
    {5, 1,  -30, 200, 25, "アドバイザー"},
    {5, 2,  -25, 250, 25, "川辺 五六郎"},
    {4, 1,  -79, 170, 25, "ＢＧＭ(フリー素材)"},
    {4, 2,   25, 230, 25, "ＲＸ"},
    {3, 1,  -65, 170, 25, "テストプレイヤー"},
    {3, 2,   40, 230, 25, "Fe."},
    {2, 1,  -65, 170, 25, "テストプレイヤー"},
    {2, 2,  -35, 230, 25, "くもまる二号"},
    {1, 1,  -65, 170, 25, "テストプレイヤー"},
    {1, 2,   15, 230, 25, "Marvo"},
    {7, 1,   -7, 130, 25, "THANK YOU"},
    {7, 1,  -26, 160, 25, "FOR PLAYING!"},
    {7, 2,  -70, 190, 25, "I'M THANKFUL FOR"},
    {7, 2,  -15, 220, 25, "ALL STAFFS"},
    {7, 2,  -32, 250, 25, "AND PLAYERS!!"},
};
// clang-format on
static_assert(sizeof(kStaffLines) / sizeof(kStaffLines[0]) == 21, "every line of the seven pages");

// The staff roll's time line: the page shown from `atMs` after its start
// (page 0 = the end of the roll).
struct PageChange {
  int32_t atMs;
  uint8_t page;
};
// clang-format off
constexpr PageChange kPageChanges[] = {
    { 30500, 5},
    { 45600, 4},
    { 60700, 3},
    { 75800, 2},
    { 90900, 1},
    {107000, 7},
    {139000, 0},
};
// clang-format on
constexpr int kPageChangeCount = int(sizeof(kPageChanges) / sizeof(kPageChanges[0]));
static_assert(kPageChangeCount == 7, "six page changes and the end");

constexpr uint8_t kFirstPage = 6;
constexpr uint8_t kLastPage = 7;

void EndFrame() {
  ReleaseControlLatch();
  RefreshScreen();
  PumpMessages();
  PaceFrame(kFramePeriodMs);
}

// ---- The flight up the stage while the light opens ----------------------------------
void MoveShipUpTheStage() {
  const float y = playerY;
  if (y > 270) {
    playerY = y - 1;
  } else if (y == 270) {
    playerBank = 2;
    playerY = y - 3;
  } else if (y > 201 && y < 270) {
    playerY = y - 3;
    playerX -= 5;
  } else if (y == 201) {
    playerBank = 4;
    playerY = y - 19;
  } else if (y > -300 && y < 201) {
    playerY = y - 19;
    playerX += 5;
  }
}

void ScrollFlight() {
  scrollPos = std::min(scrollPos + 1, 0.0f);
  UpdateEffects();
  const float s = scrollPos;
  float extra = 0;
  if (s > -2350 && s <= -2050) {
    extra = 1;
  } else if (s > -2050 && s <= -1880) {
    extra = 4;
  } else if (s > -1880 && s <= -1450) {
    extra = 9;
  } else if (s > -1450) {
    extra = 16;
  }
  scrollPos = std::min(s + extra, 0.0f);
}

// Grows the light; true once it is fully open.
bool OpenLight() {
  if (sequenceTimer < 101) ++sequenceTimer;
  if (sequenceTimer <= 100) return false;
  if (bossLightH <= 460) {
    bossLightW = 2;
    bossLightH = int16_t(bossLightH + 12);
    if (bossLightH >= 460) bossLightH = int16_t(bossLightH + 6);
  } else {
    if (bossLightW < 350) bossLightW = int16_t(bossLightW + 14);
    if (bossLightW >= 350) bossLightW = int16_t(bossLightW + 7);
  }
  return bossLightW > 350 && bossLightH > 460;
}

void RunFlight() {
  bool open = false;
  while (!open) {
    frameStartMs = ClockMs();
    if (scrollPos >= -2050) MoveShipUpTheStage();
    ReleaseControlLatch();
    ScrollFlight();
    if (scrollPos > -2230 && enemyState[0] != kEndingLightOpening) {
      enemyState[0] = kEndingLightOpening;
      sequenceTimer = 0;
      bossLightW = 0;
      bossLightH = 0;
      enemyX[0] = 175;
      enemyY[0] = 230;
      enemyScale[0] = 0;
    }
    if (enemyState[0] == kEndingLightOpening) open = OpenLight();
    RenderFrame();
    FlushInput();
    PumpMessages();
    PaceFrame(kFramePeriodMs);
  }
}

// ---- The staff roll ---------------------------------------------------------------
void MoveStaffTexts() {
  if (line2X < 600) ++sequenceTimer;
  const int t = sequenceTimer;
  const bool first = stageNo == kFirstPage;
  const bool moveFirst = first ? (t < 379 || t > 472) : (t < 103 || t > 227);
  const bool moveSecond = first ? (t < 547 || t >= 651) : (t < 133 || t >= 251);
  if (moveFirst) bannerX = int16_t(bannerX + 10);
  if (moveSecond) line2X = int16_t(line2X + 10);
}

// The hidden transformation of the ship on page 1 (armed by the P key).
void AdvanceShipPose() {
  const int t = sequenceTimer;
  if (shipPose == 1 && t >= 177) shipPose = 2;
  if (shipPose == 3) {
    if (t >= 226 && t < 264) poseFrame = 5;
    if (t >= 264 && t < 276) poseFrame = 4;
    if (t >= 276 && t < 292) poseFrame = 3;
    if (t >= 292) shipPose = 4;
  }
  if (shipPose >= 2 && shipPose <= 4) {
    poseTick = poseTick >= 29999 ? 0 : poseTick + 1;
    if (poseTick % 6 == 0) {
      if (shipPose == 2) {
        ++poseFrame;
        if (poseFrame == 4) {
          shipPose = 3;
          poseFrame = 3;
        }
      } else if (shipPose == 4) {
        --poseFrame;
        if (poseFrame == 0) shipPose = 5;
      }
    }
  }
}

void DrawStaffFrame() {
  DrawBackground();
  const bool transformed = shipPose >= 2 && shipPose <= 4;
  DrawPlayerShip(false, transformed ? 270.0 + 90.0 * poseFrame : 0.0);
  if (bonusState == 3)
    DrawMasked(imgchar[kCapsuleSheet], 32.0 * (bonusFrame / 3), 0, 32, 32, 32, scrmain, bonusX, bonusY);
  if (enemyState[0] > kEndingLastFlight)
    StretchOr(imgchar[kLogoSheet], 0, 0, 264, titleLogoSize, scrmain, 33, 92 - titleLogoSize / 2.0, 264, 44);
  if (enemyState[0] > kEndingLogoShrinking) {
    const int level = finFadeLevel <= 25 ? 10 * finFadeLevel : 255;
    PrintTextRgb(260, 125, 14, level, level, level, "FIN..");
    if (finFadeLevel < 26) ++finFadeLevel;
  }
  for (const StaffLine& line : kStaffLines) {
    if (line.page != stageNo) continue;
    const int16_t groupX = line.group == 1 ? bannerX : line2X;
    PrintText(groupX + line.dx, line.y, line.size, kWhite, line.text);
  }
}

void TurnPage(uint8_t page) {
  WipeToBlack();
  stageNo = page;
  if (page == kLastPage) {
    FillPlainBackground();
  } else {
    BuildStageBackground();
  }
  bannerX = -923;
  line2X = -1223;
  sequenceTimer = 0;
  if (page == 5) {
    bonusState = 3;  // the capsule circles over this page
    enemyTimer[0] = 0;
    bonusX = float(53 * trig::Sin(1 / 1.45) + 157);
    bonusY = float(53 * trig::Cos(1 / 1.45) + 61);
    bonusFrame = 0;
  } else if (page == 4) {
    bonusState = 0;
  } else if (page == kLastPage) {
    playerX = 150;
    playerY = 1100;
    enemyState[0] = kEndingLastFlight;
  }
  OpenOnEndingScene();
}

// The last page: the ship crosses the screen, then the title logo bounces in.
void AdvanceLastPage() {
  switch (enemyState[0]) {
    case kEndingLastFlight: {
      const float y = playerY;
      if (y > 350) {
        playerY = y - 2;
      } else if (y == 350) {
        playerBank = 2;
        playerY = y - 4;
      } else if (y > 238 && y < 350) {
        playerY = y - 4;
        playerX -= 4;
      } else if (y == 238) {
        playerBank = 4;
        playerY = y - 19;
      } else if (y > -200 && y < 238) {
        playerY = y - 19;
        playerX += 5;
      } else if (y <= -200) {
        cursorX = 80;
        cursorY = 290;
        titleLogoSize = -74;
        enemyState[0] = kEndingLogoGrowing;
        finFadeLevel = 0;  // "FIN.." fades in from black
      }
      break;
    }
    case kEndingLogoGrowing:
      titleLogoSize += 11;
      if (titleLogoSize >= 218) enemyState[0] = kEndingLogoShrinking;
      break;
    case kEndingLogoShrinking:
      titleLogoSize -= 10;
      if (titleLogoSize <= 44) {
        titleLogoSize = 44;
        enemyState[0] = kEndingLogoDone;
        gameMode = kModeQuietMusic;
      }
      break;
    default: break;
  }
}

// The page changes follow the clock. Each one fires once, in order, in the
// first frame at or after its time: a slow frame delays it, never loses it.
void RunStaffRoll() {
  int nextChange = 0;
  for (;;) {
    frameStartMs = ClockMs();
    MoveStaffTexts();
    AdvanceShipPose();
    DrawStaffFrame();
    UpdateEffects();
    if (stageNo == kLastPage && scrollPos == -10) scrollPos = -50;  // the last 40 pixels repeat
    ShowFrameRate();

    const int32_t sinceStart = ElapsedMs(ClockMs(), sceneStartMs);
    if (nextChange < kPageChangeCount && sinceStart >= kPageChanges[nextChange].atMs) {
      const uint8_t page = kPageChanges[nextChange++].page;
      if (page == 0) return;
      TurnPage(page);
    }
    if (stageNo == kLastPage) AdvanceLastPage();
    EndFrame();
  }
}

// Medals the finished run earned; a medal is only ever raised from 1. The
// replay keeps every medal the run earned, held already or not.
void AwardMedals() {
  bool changed = false;
  uint8_t earned = 0;
  auto award = [&changed, &earned](int k) {
    earned |= uint8_t(1u << k);
    if (medals[k] == kMedalNotEarned) {
      medals[k] = kMedalEarned;
      changed = true;
    }
  };
  if (fullRunFlag == 1) {
    if (hardMode == 0 && easyMode == 0) award(0);
    if (hardMode == 1 && revengeFire == 0) award(3);
    if (hardMode == 1 && revengeFire == 1) award(4);
  }
  if (score >= 500000) award(2);
  award(1);
  NoteMedalsEarned(earned);
  // Kept at once: a run whose score does not rank would otherwise lose them.
  if (changed) SaveScoreFile();
}

}  // namespace

void Ending() {
  // The caption.
  scrollPos = -2545;
  bannerX = -233;
  playerBank = 0;
  bossLightW = 0;
  bossLightH = 0;
  playerX = 150;
  playerY = 330;
  WaitMs(1800);
  RunCaptionPhase(600);

  // The flash.
  MusicStop();
  MusicClose();
  MusicOpen("gogogo.Mid");
  bombPhase = kBombBossDestruction;
  enemyState[0] = kEndingFlash;
  for (int k = 0; k < kBandSlots; ++k) {
    blastX[k] = kEndingBlastPoints[k].x;
    blastY[k] = kEndingBlastPoints[k].y;
  }
  WaitMs(800);
  DrawWhiteFlash(imgchar[kFlashSheet]);
  RefreshScreen();
  WaitMs(900);

  RunFlight();

  // The pause with the ending tune.
  bombPhase = kBombNone;
  sequenceTimer = 0;
  WaitMs(1300);
  MusicPlay();
  WaitMs(16200);
  WipeToBlack();

  // The staff roll.
  stageNo = kFirstPage;
  enemyState[0] = kEndingStaffRoll;
  BuildStageBackground();
  playerBank = 0;
  playerX = 150;
  playerY = 330;
  shipPose = 0;
  poseFrame = 0;
  poseTick = 0;
  WaitMs(200);
  OpenOnEndingScene();
  bannerX = -3683;
  line2X = -5373;
  sceneStartMs = ClockMs();
  RunStaffRoll();

  // The end.
  NoteEndingReached();
  AwardMedals();
  PromptHighScoreName();
  WaitMs(500);
  gameMode = kModeLeaveForTitle;
  WipeToTitle();
}
