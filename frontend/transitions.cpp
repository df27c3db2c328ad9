#include "frontend/transitions.h"


#include <algorithm>

#include "app/app_state.h"
#include "app/replay_recorder.h"
#include "enemies/stage_flow.h"
#include "platform/blit.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "platform/keys.h"
#include "platform/surface.h"
#include "presentation/renderer.h"
#include "world/world_state.h"

namespace {

constexpr int kBarCount = 13;

constexpr int kWipeSteps = 8;
constexpr int kWipeStepMs = 93;
constexpr int kWipePeriod = 30;
constexpr int kWipeBarWidth = 5;

constexpr int kOpenSteps = 7;
constexpr int kOpenStepMs = 94;
constexpr int kOpenPeriod = 35;
constexpr int kOpenFirstBarWidth = 24;

constexpr int kBarStepShift = 4;  // pixels a bar moves (or loses) per step

// A solid black bar over the full height of scrmain, clipped to its width.
void FillBlackBar(int x, int width) {
  const int left = std::max(x, 0);
  const int right = std::min(x + width, scrmain.width);
  if (left >= right) return;
  for (int y = 0; y < scrmain.height; ++y) {
    uint32_t* row = scrmain.pixels + size_t(y) * size_t(scrmain.width);
    std::fill(row + left, row + right, 0u);
  }
}

// One timed step: note the clock, draw, show, and wait out the step time.
template <typename Draw>
void RunStep(int stepMs, Draw draw) {
  frameStartMs = ClockMs();
  draw();
  RefreshScreen();
  const int32_t spent = ElapsedMs(ClockMs(), frameStartMs);
  if (spent < stepMs) WaitMs(stepMs - spent);
}

// The openings: the scene redrawn every step, then bars that keep their right
// edge at 35a + 24 and lose 4 pixels on their left per step.
template <typename DrawScene>
void RunOpening(DrawScene drawScene) {
  for (int step = 0; step < kOpenSteps; ++step) {
    RunStep(kOpenStepMs, [&] {
      drawScene();
      const int width = kOpenFirstBarWidth - kBarStepShift * step;
      for (int a = 0; a < kBarCount; ++a) FillBlackBar(kOpenPeriod * a + kBarStepShift * step, width);
    });
  }
}

void DrawShip() {
  const double shift = (invulnTimer & 1) ? 1000 : 0;
  DrawMasked(imgchar[0], 45.0 * playerBank + shift, 0, 65, 45, 65, scrmain, playerX, playerY);
}

// The status display as it stands at the start of a stage.
void DrawRestingStatus() {
  DrawMasked(imgchar[3], 0, 0, 19, 102, 19, scrmain, 94, 432);

  const double bombIconX[3] = {285, 245, 205};
  for (int i = 0; i < 3; ++i) {
    if (bombs >= i + 1) DrawMasked(imgchar[17], 40.0 * animTick8, 0, 40, 40, 40, scrmain, bombIconX[i], 415);
  }

  const double slotX[3] = {10, 35, 60};
  for (int i = 0; i < 3; ++i) DrawMasked(imgchar[7], 0, 0, 20, 20, 20, scrmain, slotX[i], 431);
  for (int i = 0; i < 3; ++i) {
    if (shield == float(i) + 0.5f) DrawMasked(imgchar[7], 20, 0, 20, 10, 20, scrmain, slotX[i], 431);
    if (shield >= float(i + 1)) DrawMasked(imgchar[7], 20, 0, 20, 20, 20, scrmain, slotX[i], 431);
  }

  PrintText(21, 417, 10, 15, "SHIELD");
  PrintText(125, 5, 15, 15, FormatScore(score));
}

}  // namespace

void DrawBackground() {
  ClearSurface(scrmain);
  BlitCopy(scrback, 0, -double(scrollPos), 330, 460, scrmain, 0, 0);
}

void WipeToBlack() {
  for (int step = 0; step < kWipeSteps; ++step) {
    RunStep(kWipeStepMs, [&] {
      for (int a = 0; a < kBarCount; ++a) FillBlackBar(kWipePeriod * a + kBarStepShift * step, kWipeBarWidth);
    });
  }
}

void OpenOnTitle() {
  NoteGameEnd();  // back from a game: its replay is written
  scrollPos = -1720;
  stageNo = 0;
  BuildStageBackground();
  RunOpening([] { DrawBackground(); });
  FlushInput();
}

void OpenOnStage() {
  scrollPos = stageNo == 8 ? -1020 : -2545;
  RunOpening([] {
    DrawBackground();
    if (gameMode == 0) DrawShip();
    DrawRestingStatus();
  });
  FlushInput();
}

void OpenOnEndingScene() {
  scrollPos = -1985;
  RunOpening([] {
    DrawBackground();
    DrawShip();
    if (bonusState == 3) {
      DrawMasked(imgchar[13], 32.0 * (bonusFrame / 3), 0, 32, 32, 32, scrmain, bonusX, bonusY);
    }
  });
  FlushInput();
  if (stageNo == 1 && shipPose == 0 && KeyPressed(kVkP)) shipPose = 1;
  FlushInput();
}
