#include "app/next_stage.h"

#include "app/app_state.h"
#include "data/score_file.h"
#include "enemies/stage_flow.h"
#include "world/effects.h"
#include "world/world_reset.h"
#include "world/world_state.h"

void BeginNextStage() {
  sequenceTimer = 0;
  ClearShotSlots();
  for (int k = 0; k < kItemSlots; ++k) itemState[k] = kItemNone;

  ResetShipState();

  SetStageBlastPoints();
  battlePhase = kBattleWaves;
  ResetBands();

  ClearEnemySlots();
  ClearBulletSlots();
  nextBulletSlot = 0;
  bossLightW = 0;
  bossLightH = 0;

  PlaceShipForStage();
  SetUpStage(uint8_t(stageNo + 1));
  if (stageNo <= 7 && unlockedStage < stageNo) {
    unlockedStage = stageNo;
    SaveScoreFile();
  }
  bonusState = 0;
  if (easyMode == 1) {
    shield = shield + 1;
    if (shield > 3) shield = 3;
  }
}
