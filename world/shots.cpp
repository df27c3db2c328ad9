#include "world/shots.h"

#include <cmath>

#include "app/app_state.h"
#include "platform/blit.h"
#include "platform/sound_effects.h"
#include "world/items.h"
#include "world/volleys.h"
#include "world/world_state.h"

namespace {

// Each shot kind: how fast it climbs, how far below the top it still counts,
// its hit box from its corner, its damage and its hit-spark size.
struct ShotKindRule {
  float speed;
  float aliveMargin;          // alive while y + margin > 0
  double left, right, depth;  // box x + left .. x + right, y .. y + depth
  float damage;
  int16_t spark;
};
// clang-format off
constexpr ShotKindRule kShotRules[5] = {
    // speed margin  left right depth damage spark
    {  0,     0,     0,   0,    0,    0,     0},  // 0: free
    { 18,     5,    14,  28,   20,    1,    32},  // 1: normal shot, always removed on a hit
    { 20,     6,    14,  28,   20,    4,    40},  // 2..4: charged, they pierce what they destroy
    { 21,    15,   -12,  56,   60,   10,    48},
    { 22,    18,   -36,  84,  120,   35,    56},
};
// clang-format on
static_assert(sizeof(kShotRules) / sizeof(kShotRules[0]) == 5, "one rule per shot kind 0..4");

constexpr int kComboFrames = 26;

bool EnemyInView(int e) {
  const double s = enemyScale[e], ex = enemyX[e], ey = enemyY[e];
  return ey + 38.0 * s > 0.0 && ey + 2.0 * s < 460.0 && ex + 38.0 * s > 0.0 && ex + 2.0 * s < 350.0;
}

bool ShotOverlapsEnemy(int k, int e) {
  const ShotKindRule& r = kShotRules[shotKind[k]];
  const double x = shotX[k], y = shotY[k];
  const double s = enemyScale[e], ex = enemyX[e], ey = enemyY[e];
  return ex + 36.0 * s > x + r.left && ex + 4.0 * s < x + r.right && ey + 30.0 * s > y &&
         ey - 5.0 * s < y + r.depth;
}

void MarkBlastCentre(int e) {
  const double s = enemyScale[e];
  blastCX[e] = float(double(enemyX[e]) + 20.0 * s);
  blastCY[e] = float(double(enemyY[e]) + 20.0 * s);
}

// The explosion that answers the destruction of an ordinary enemy, by its size.
void RaiseExplosionFor(int e) {
  RaiseSoundEffect(enemyScale[e] < 2.0f ? SoundEffect::ExplosionSmall : SoundEffect::ExplosionLarge);
}

void AwardScoreFor(int e) {
  scoreSlot = e;
  AwardEnemyScore();
}

// The shot in loopSlot against the enemy in loopSlot2.
void ShotAgainstEnemy() {
  const int k = loopSlot, e = loopSlot2;
  const uint8_t kind = shotKind[k];
  if (kind < kShotNormal || kind > kShotChargedHigh) return;
  const ShotKindRule& rule = kShotRules[kind];
  if (!(shotY[k] + rule.aliveMargin > 0.0f) || !ShotOverlapsEnemy(k, e)) return;

  if (gameMode == kModePlay || scrollPos != 0.0f) enemyHp[e] -= rule.damage;
  if (kind == kShotNormal || enemyHp[e] > 0.0f) shotKind[k] = kShotFree;

  if (enemyHp[e] <= 0.0f && battlePhase == kBattleWaves) {
    MarkBlastCentre(e);
    enemyState[e] = kEnemyBlastGrowing;
    RaiseExplosionFor(e);
    FireLastVolley();
    AwardScoreFor(e);
    ReleaseItems();
    if (kind >= kShotChargedLow) {
      ++shotComboCount[k];
      ArmComboTimers();
    }
  } else if (enemyHp[e] <= 0.0f && battlePhase == kBattleBoss) {
    AwardScoreFor(e);
    enemyState[e] = kEnemyBossDestroyed;
    StartBossDestruction();
    bombPhase = kBombBossDestruction;
    RaiseSoundEffect(SoundEffect::ExplosionBoss);
  } else if (enemyHp[e] > 0.0f) {
    RaiseSoundEffect(SoundEffect::EnemyHit);
    sparkX[k] = shotX[k];
    sparkY[k] = shotY[k];
    sparkTimer[k] = rule.spark;
  }
}

// The band flash of a bomb against the enemy in loopSlot2.
void BombAgainstEnemy() {
  const int e = loopSlot2;
  const double s = enemyScale[e], ex = enemyX[e], ey = enemyY[e];
  if (!(ex + 40.0 * s > 5.0 && ex < 322.0 && ey + 40.0 * s > 5.0 && ey < 450.0)) return;
  if (battlePhase == kBattleWaves) {
    enemyHp[e] = 0.0f;
    MarkBlastCentre(e);
    enemyState[e] = kEnemyBlastGrowing;
    RaiseExplosionFor(e);
    if (gameMode == kModePlay) AwardScoreFor(e);
    ReleaseItems();
    ++bombComboCount;
    ArmComboTimers();
  } else if (battlePhase == kBattleBoss) {
    if (gameMode == kModePlay) {
      enemyHp[e] -= 30.0f;
      if (enemyHp[e] <= 0.0f) enemyHp[e] = 1.0f;
    }
    battlePhase = kBattleBossInFlash;  // the boss takes one bomb hit per bomb
    RaiseSoundEffect(SoundEffect::EnemyHit);
  }
}

void PrintHitText(int count, int sizeBase) {
  PrintText(10 - count / 3, 20 - count / 3, sizeBase + count / 4, 15, HitText(count));
}

void CountDownShotCombos() {
  for (int k = 0; k < kShotSlots; ++k) {
    if (shotKind[k] != kShotFree || shotComboCount[k] < 2 || shotComboTimer[k] == 0 || gameMode != kModePlay)
      continue;
    --shotComboTimer[k];
    const int count = shotComboCount[k];
    if (shotComboTimer[k] == 1) score = float(double(score) + count * count * (easyMode == 1 ? 8 : 10));
    if (shotComboTimer[k] % 2 == 0) PrintHitText(count, 18);
  }
}

void CountDownBombCombo() {
  if (bombPhase == kBombNone && gameMode == kModePlay && bombComboCount >= 2 && bombComboTimer >= 1) {
    --bombComboTimer;
    const int count = bombComboCount;
    if (bombComboTimer == 1) {
      score = float(double(score) + count * count * (easyMode == 1 ? 24 : 30));
      bombComboCount = 0;
      bombComboTimer = 0;
    }
    if (bombComboTimer % 2 != 0) PrintHitText(count, 19);
  } else if (bombComboTimer == -1) {
    bombComboCount = 0;
    bombComboTimer = 0;
  }
}

// The pickup message, flashed on odd frames of its countdown.
void CountDownPickupMessage() {
  if (bonusTextTimer == 0) return;
  --bonusTextTimer;
  if (bonusTextTimer % 2 == 0) return;
  switch (bonusTextKind) {
    case 1: PrintText(popupX[0] - 8, popupY[0], 18, 15, "BOMB UP"); break;
    case 2: PrintText(popupX[1] - 15, popupY[1], 18, 15, "LIFE UP"); break;
    case 3: PrintText(popupX[0] + 5, popupY[0], 18, 15, "3000"); break;
    case 4: PrintText(popupX[1] + 5, popupY[1], 18, 15, "3000"); break;
    case 5: PrintText(popupX[0] - 2, popupY[0], 18, 15, "BONUS!"); break;
    default: break;
  }
}

}  // namespace

std::string WithLeadingBlank(int number) {
  return number < 0 ? std::to_string(number) : " " + std::to_string(number);
}

std::string HitText(int count) { return WithLeadingBlank(count) + "Hit"; }

void MoveShots() {
  for (int k = 0; k < kShotSlots; ++k) {
    if (shotKind[k] >= kShotNormal && shotKind[k] <= kShotChargedHigh) shotY[k] -= kShotRules[shotKind[k]].speed;
    if (shotY[k] < -100.0f) {
      shotKind[k] = kShotFree;
      shotY[k] = 1000.0f;
    }
  }
}

void ResolveShotHits() {
  for (loopSlot = 0; loopSlot < kShotSlots; ++loopSlot) {
    for (loopSlot2 = 0; loopSlot2 < kEnemySlots; ++loopSlot2) {
      const int e = loopSlot2;
      if (enemyState[e] != kEnemyAlive || !EnemyInView(e)) continue;
      ShotAgainstEnemy();
      // A kill by the shot above already took the enemy out of the flash's reach.
      if (bombPhase == kBombFlash && enemyState[e] == kEnemyAlive) BombAgainstEnemy();
    }
  }
}

void AwardEnemyScore() {
  const int e = scoreSlot;
  if (easyMode == 0) {
    score = float(double(score) + enemyScore[e]);
  } else if (easyMode == 1) {
    score = float(double(score) + std::floor(enemyScore[e] * 0.8));
  }
}

void ArmComboTimers() {
  const int k = loopSlot;
  shotComboTimer[k] = shotComboCount[k] >= 2 ? kComboFrames : 0;
  bombComboTimer = bombComboCount >= 2 ? kComboFrames : 0;
}

void StartBossDestruction() {
  if (bombPhase != kBombNone) {
    ++bombs;
    bombPhase = kBombNone;
  }
  battlePhase = kBattleBoss;
  // Blast points around the boss, in units of its scale.
  // clang-format off
  static constexpr double kPoints[kBandSlots][2] = {
      {37, 20}, { 3,  4}, {15, 37}, {31,  3}, { 5, 30}, {20, 12}, {37, 35}, { 9,  5},
  };
  // clang-format on
  const double s = enemyScale[0], ex = enemyX[0], ey = enemyY[0];
  for (int k = 0; k < kBandSlots; ++k) {
    blastX[k] = int16_t(RoundHalfEven(ex + kPoints[k][0] * s));
    blastY[k] = int16_t(RoundHalfEven(ey + kPoints[k][1] * s));
    bandSize[k] = -45.0f * float(k);
    bandPhase[k] = 0;
  }
}

void DrawComboTexts() {
  CountDownShotCombos();
  CountDownBombCombo();
  CountDownPickupMessage();
}
