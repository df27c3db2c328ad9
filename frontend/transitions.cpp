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
#include "presentation/screen_parts.h"
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

}  // namespace

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

namespace {

void OpenOnStageAt(float scroll) {
  scrollPos = scroll;
  RunOpening([] {
    DrawBackground();
    if (gameMode == kModePlay) DrawPlayerShip(true);
    DrawStatusDisplay(StatusView::Resting);
    DrawStatusTexts();
  });
  FlushInput();
}

}  // namespace

void OpenOnStage() { OpenOnStageAt(stageNo == 8 ? -1020 : -2545); }
void OpenOnStageBoss() { OpenOnStageAt(0); }

void OpenOnEndingScene() {
  scrollPos = -1985;
  RunOpening([] {
    DrawBackground();
    DrawPlayerShip(true);
    if (bonusState == 3) {
      DrawMasked(imgchar[kCapsuleSheet], 32.0 * (bonusFrame / 3), 0, 32, 32, 32, scrmain, bonusX, bonusY);
    }
  });
  FlushInput();
  if (stageNo == 1 && shipPose == 0 && KeyPressed(kVkP)) shipPose = 1;
  FlushInput();
}
