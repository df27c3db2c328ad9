#include "enemies/stage_flow.h"

#include "app/app_state.h"
#include "data/map_file.h"
#include "enemies/wave_table.h"
#include "platform/blit.h"
#include "platform/music.h"
#include "platform/sound_effects.h"
#include "platform/surface.h"
#include "presentation/ending.h"
#include "presentation/stage_clear.h"
#include "world/world_state.h"

namespace {

constexpr int kTile = 40;
constexpr int kBackColumns = 9;
constexpr int kBackRows = 81;
constexpr int kLastMapStage = kMapStages - 1;  // stage 8

constexpr int kBossEntryFrames = 45;
constexpr int kBossWaitBulletSlots = 51;  // small bullets in slots 0..50 hold the boss back
constexpr int kLightExplosionFrames = 100;
constexpr int kLightTimerCap = 10000;
constexpr int kLightTimerRestart = 150;
constexpr int kFieldHeight = 460;
constexpr int kFieldWidth = 350;

constexpr uint8_t kSmallBullet = 1;
constexpr uint8_t kBouncingBullet = 3;
constexpr uint8_t kBossDestroyed = 4;
constexpr uint8_t kEndingMark = 12;

bool AnyEnemyBusy() {
  for (loopSlot = 0; loopSlot < kEnemySlots; ++loopSlot) {
    const uint8_t state = enemyState[loopSlot];
    if (state >= 1 && state <= 3) return true;
  }
  return false;
}

bool SmallBulletsBeforeBoss() {
  for (int slot = 0; slot < kBossWaitBulletSlots; ++slot)
    if (bulletKind[slot] == kSmallBullet) return true;
  return false;
}

// Counts the frames before the boss and lets it in. False while it waits.
bool EnterBoss() {
  ++sequenceTimer;
  if (sequenceTimer < kBossEntryFrames) return false;
  if (SmallBulletsBeforeBoss()) return false;
  MusicStop();
  MusicClose();
  MusicOpen(stageNo <= 7 ? "m-fight.mid" : "fight6.mid");
  MusicPlay();
  battlePhase = 1;
  sequenceTimer = 0;
  SpawnBoss();
  return true;
}

// Grows a light side by one frame's step: 10 while it is short of the reach,
// then 5 more once it has reached it (15 on the frame that crosses).
void GrowLight(int16_t& size, float reach) {
  if (reach > float(size)) size = int16_t(size + 10);
  if (reach <= float(size)) size = int16_t(size + 5);
}

void EndStage() {
  bombPhase = 0;
  if (stageNo <= 7) {
    StageClear();
    return;
  }
  for (int slot = 0; slot < kBulletSlots; ++slot)
    if (bulletKind[slot] == kBouncingBullet) bulletKind[slot] = 0;
  Ending();
}

// The destroyed boss: explosions for 100 frames, then the light grows over
// the field, first vertically, then horizontally, and the stage ends.
void RunBossLight() {
  if (sequenceTimer <= kLightTimerCap) {
    ++sequenceTimer;
    if (sequenceTimer > kLightTimerCap) sequenceTimer = kLightTimerRestart;
  }
  if (sequenceTimer <= kLightExplosionFrames) return;
  if (sequenceTimer == kLightExplosionFrames + 1) RaiseSoundEffect(SoundEffect::BossFall);

  const double scale = enemyScale[0];
  const double x = enemyX[0];
  const double y = enemyY[0];
  const double top = 22 * scale + y - bossLightH / 2.0;
  const double left = 22 * scale + x - bossLightW / 2.0;
  const float reachY = float(2 * (19 * scale + y));
  const float reachX = float(2 * (19 * scale + x));

  if (top >= 0 || bossLightH < kFieldHeight) {
    GrowLight(bossLightH, reachY);
    bossLightW = 2;
    return;
  }
  if (left >= 0 || bossLightW < kFieldWidth) {
    GrowLight(bossLightW, reachX);
    return;
  }
  EndStage();
}

void BlitTile(double srcX, double srcY, int column, int row) {
  BlitCopy(imgchar[9], srcX, srcY, kTile, kTile, scrback, kTile * column, kTile * row);
}

}  // namespace

void UpdateStageFlow() {
  if (AnyEnemyBusy()) return;
  if (enemyState[0] == kEndingMark || bombPhase == 1 || bombPhase == 2) return;

  if (stageNo <= 7 && scrollPos < 0) {
    if (wave < 255) ++wave;  // held at 255: no formation past the last one
    SpawnWave();
  } else if (scrollPos == 0 && battlePhase == 0 && gameMode != 6 && gameMode != 8 && stageNo >= 1 &&
             stageNo <= 8) {
    if (!EnterBoss()) return;
  }

  if ((battlePhase == 1 || battlePhase == 4) && enemyState[0] == kBossDestroyed) RunBossLight();
}

void BuildStageBackground() {
  ClearSurface(scrback);
  if (stageNo > kLastMapStage) return;  // the map holds stages 0..8 only
  for (int row = 0; row < kBackRows; ++row)
    for (int column = 0; column < kBackColumns; ++column)
      BlitTile(kTile * MapByte(stageNo, 2 * column, row), kTile * MapByte(stageNo, 2 * column + 1, row),
               column, row);
}

void FillPlainBackground() {
  ClearSurface(scrback);
  for (int row = 0; row < kBackRows; ++row)
    for (int column = 0; column < kBackColumns; ++column) BlitTile(320, 560, column, row);
}
