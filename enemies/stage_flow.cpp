#include "enemies/stage_flow.h"

#include "app/app_state.h"
#include "app/practice.h"
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

// The tunes of stages 1..7 (index = stage number - 1).
constexpr const char* kStageTunes[] = {
    "mukai.mid", "fly.mid", "geki.mid", "get.mid", "yozora.mid", "select.mid", "tsubasawo.mid",
};
static_assert(sizeof(kStageTunes) / sizeof(kStageTunes[0]) == 7, "one tune per ordinary stage");

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

bool AnyEnemyBusy() {
  for (loopSlot = 0; loopSlot < kEnemySlots; ++loopSlot) {
    const uint8_t state = enemyState[loopSlot];
    if (state >= kEnemyAlive && state <= kEnemyBlastShrinking) return true;
  }
  return false;
}

bool SmallBulletsBeforeBoss() {
  for (int slot = 0; slot < kBossWaitBulletSlots; ++slot)
    if (bulletKind[slot] == kBulletSmall) return true;
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
  battlePhase = kBattleBoss;
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
  bombPhase = kBombNone;
  if (InPractice()) EndPractice();  // a practice ends with its stage
  if (stageNo <= 7) {
    StageClear();
    return;
  }
  for (int slot = 0; slot < kBulletSlots; ++slot)
    if (bulletKind[slot] == kBulletBouncing) bulletKind[slot] = kBulletFree;
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

int gBuiltBackground = 0;

void BlitTile(double srcX, double srcY, int column, int row) {
  BlitCopy(imgchar[kTileSheet], srcX, srcY, kTile, kTile, scrback, kTile * column, kTile * row);
}

}  // namespace

void UpdateStageFlow() {
  if (AnyEnemyBusy()) return;
  if (enemyState[0] == kEndingStaffRoll || bombPhase == kBombRing || bombPhase == kBombFlash) return;

  if (stageNo <= 7 && scrollPos < 0) {
    if (wave < 255) ++wave;  // held at 255: no formation past the last one
    SpawnWave();
  } else if (scrollPos == 0 && battlePhase == kBattleWaves && gameMode != kModeDemo &&
             gameMode != kModeLeaveDemo && stageNo >= 1 && stageNo <= 8) {
    if (!EnterBoss()) return;
  }

  if ((battlePhase == kBattleBoss || battlePhase == kBattleStageEnd) && enemyState[0] == kEnemyBossDestroyed) {
    RunBossLight();
  }
}

void BuildStageBackground() {
  gBuiltBackground = stageNo;
  ClearSurface(scrback);
  if (stageNo > kLastMapStage) return;  // the map holds stages 0..8 only
  for (int row = 0; row < kBackRows; ++row)
    for (int column = 0; column < kBackColumns; ++column)
      BlitTile(kTile * MapByte(stageNo, 2 * column, row), kTile * MapByte(stageNo, 2 * column + 1, row), column,
               row);
}

void FillPlainBackground() {
  gBuiltBackground = kPlainBackground;
  ClearSurface(scrback);
  for (int row = 0; row < kBackRows; ++row)
    for (int column = 0; column < kBackColumns; ++column) BlitTile(320, 560, column, row);
}

int BuiltBackground() { return gBuiltBackground; }

void RebuildBackground(int built) {
  if (built == kPlainBackground) {
    FillPlainBackground();
    return;
  }
  const uint8_t stage = stageNo;
  stageNo = uint8_t(built);
  BuildStageBackground();
  stageNo = stage;
}

void SetUpStage(uint8_t stage) {
  bannerTimer = 82;
  bannerX = 117;
  stageNo = stage;
  BuildStageBackground();
  wave = stage > 1 ? uint8_t(stage * 20 - 21) : 0;
}

void PlaceShipForStage() {
  playerX = 150;
  playerY = 350;
  playerBank = 0;
}

void OpenStageMusic() {
  if (stageNo >= 1 && stageNo <= 7) MusicOpen(kStageTunes[stageNo - 1]);
}
