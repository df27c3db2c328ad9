#include "app/main_loop.h"

#include "app/app_state.h"
#include "app/pause.h"
#include "app/replay_recorder.h"
#include "app/replay_viewer.h"
#include "app/state_digest.h"
#include "enemies/stage_flow.h"
#include "frontend/title.h"
#include "frontend/transitions.h"
#include "platform/backend.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "platform/machine.h"
#include "platform/music.h"
#include "presentation/game_reset.h"
#include "presentation/renderer.h"
#include "world/effects.h"
#include "world/items.h"
#include "world/player.h"
#include "world/player_damage.h"
#include "world/shots.h"
#include "world/volleys.h"
#include "world/wave_scripts.h"
#include "world/world_state.h"

void MainLoop() { throw MainLoopEntry{}; }

void RunMainLoop() {
  for (;;) {
    try {
      for (;;) MainLoopPass();
    } catch (const MainLoopEntry&) {
      // A screen entered the loop afresh: start over at this level.
    }
  }
}

namespace {

[[noreturn]] void LeaveDemonstration() {
  WipeToBlack();
  FlushInput();
  inputLatch = 0;
  gameMode = kModeLeaveForTitle;
  battlePhase = kBattleWaves;
  MusicStop();
  MusicClose();
  stageNo = 0;
  BuildStageBackground();
  OpenOnTitle();
  MusicOpen("opening2.mid");
  MusicPlay();
  MainLoop();
}

}  // namespace

void MainLoopPass() {
  // A game's replay starts at the top of its first pass.
  NoteMainLoopPass();
  // A replay being watched may pause, step or seek here, at the top of a pass.
  ReplayViewerPassBegins();
  // A window that lost the focus during play holds at the pause menu.
  PauseIfAsked();
  // The pause key leaves the demonstration as fire does.
  const bool leaveDemo = gameMode == kModeDemo && PauseInputPressed();
  frameStartMs = ClockMs();
  CheckStateEachSecond(uint32_t(frameStartMs));
  ReadInput();

  RunWorldSteps();
  if (leaveDemo && gameMode == kModeDemo) gameMode = kModeLeaveDemo;

  if (gameMode != kModeLeaveForTitle) RenderFrame();
  if (bannerTimer == 0) UpdateStageFlow();

  switch (gameMode) {
    case kModeLeaveForTitle:
      ResetGame();
      TitleScreen();  // takes over; enters the main loop afresh or ends the program
      return;
    case kModeDemo:
      if (scrollPos == 0.0f) {
        if (sequenceTimer < 50) {
          ++sequenceTimer;
        } else {
          gameMode = kModeLeaveDemo;
        }
      }
      break;
    case kModeLeaveDemo: LeaveDemonstration();
    default: break;
  }

  FlushInput();
  PumpMessages();
  PaceFrame(kFramePeriodMs);
}

void RunWorldSteps() {
  UpdatePlayer();
  MoveShots();
  RunWaveBehaviour();
  MoveBulletsAndItems();
  ResolveShotHits();
  CheckEnemyContact();
  CheckBulletHits();
  CheckItemPickup();
  UpdateEffects();
}

void PaceFrame(int periodMs) {
  frameEndMs = ClockMs();
  frameElapsedMs = ElapsedMs(frameEndMs, frameStartMs);
  if (frameElapsedMs < periodMs) WaitMs(periodMs - frameElapsedMs);
}

void Timer1_Timer() {
  if (gameMode != kModeQuietMusic && gameMode != kModeLeaveForTitle && paused == 0) MusicLoopCheck();
}
