#include "presentation/game_reset.h"

#include "app/app_state.h"
#include "enemies/stage_flow.h"
#include "world/effects.h"
#include "world/world_reset.h"
#include "world/world_state.h"

void ResetGame() {
  sequenceTimer = 0;
  hardMode = 0;
  revengeFire = 0;
  easyMode = 0;
  animTick8 = 0;
  animDiv5 = 0;
  stageNo = 0;
  bannerX = 500;
  bannerTimer = 0;

  BuildStageBackground();
  scrollPos = -1720;

  ClearShotSlots();

  for (int i = 0; i < kItemSlots; ++i) itemState[i] = kItemNone;

  ResetShipState();
  score = 0;
  shield = 3;
  gameMode = kModePlay;
  bombs = 2;

  SetStageBlastPoints();

  battlePhase = kBattleWaves;
  ResetBands();
  wave = 0;

  ClearEnemySlots();
  ClearBulletSlots();

  bossLightW = 0;
  bossLightH = 0;
  bonusState = 0;
  nextBulletSlot = 0;
}
