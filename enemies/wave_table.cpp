#include "enemies/wave_table.h"

#include "enemies/wave_table_data.h"
#include "world/world_state.h"

namespace {

using namespace formation;

uint8_t ToByte(double v) { return uint8_t(int(v)); }
int16_t ToShort(double v) { return int16_t(int(v)); }

// Writes the slots of one group, each in field order with the state last.
void WriteGroup(const Group& g, int H, int E) {
  for (int k = g.first; k <= g.last; ++k) {
    enemyStep[k] = 0;
    const double timer = g.timer(k, H, E);
    if (timer != kNotSet) enemyTimer[k] = ToShort(timer);
    enemyShots[k] = ToByte(g.shots(k, H, E));
    enemyHp[k] = float(g.hp(k, H, E));
    enemyKind[k] = g.kind;
    enemyScale[k] = g.scale;
    enemyScore[k] = g.score;
    enemyCarrier[k] = g.carrier;
    if (g.x != kByList) enemyX[k] = float(g.x(k, H, E));
    enemyY[k] = float(g.y(k, H, E));
    enemyState[k] = g.state;
    if (g.paramA) enemyParamA[k] = float(g.paramA(k, H, E));
    if (g.paramB) enemyParamB[k] = float(g.paramB(k, H, E));
  }
}

bool NoteApplies(const SlotNote& n) {
  switch (n.when) {
    case kAlways: return true;
    case kEasyOnly: return easyMode == 1;
    case kStageFour: return stageNo == 4;
  }
  return false;
}

void WriteNote(const SlotNote& n, int H, int E) {
  const int k = n.slot;
  enemyCarrier[k] = n.carrier;
  enemyKind[k] = n.kind;
  if (n.hp) enemyHp[k] = float(n.hp(k, H, E));
  if (n.shots) enemyShots[k] = ToByte(n.shots(k, H, E));
}

}  // namespace

void SpawnWave() {
  const int H = hardMode;
  const int E = easyMode;
  for (const Group& g : kGroups)
    if (g.wave == wave) WriteGroup(g, H, E);
  for (const SlotNote& n : kNotes)
    if (n.wave == wave && NoteApplies(n)) WriteNote(n, H, E);
  for (const XList& list : kXLists) {
    if (list.wave != wave) continue;
    for (int k = 0; k < list.count; ++k)
      if (list.x[k] != kKeep) enemyX[k] = list.x[k];
  }
}

void SpawnBoss() {
  for (const BossRow& b : kBosses) {
    if (b.stage != stageNo) continue;
    enemyStep[0] = 0;
    enemyTimer[0] = 0;
    enemyShots[0] = b.shots;
    enemyHp[0] = b.hp;
    enemyKind[0] = b.kind;
    enemyScale[0] = b.scale;
    enemyScore[0] = b.score;
    enemyCarrier[0] = 0;
    enemyX[0] = 70;
    enemyY[0] = -200;
    enemyState[0] = kEnemyAlive;
  }
  wave = uint8_t(stageNo + 149);
}
