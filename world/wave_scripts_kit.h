// Shared vocabulary of the wave behaviour scripts: the firing calls, the
// aiming of a dive, the edge tests, and the script families the chain in
// wave_scripts.cpp dispatches to.
#pragma once

#include <cmath>
#include <cstdint>

#include "world/world_state.h"

// The rows of the running family's table that the chain selected for the
// current wave: rows scriptRow .. scriptRow + scriptRowCount - 1.
extern int32_t scriptRow;
extern int32_t scriptRowCount;

// A constant that depends on the difficulty: base + h x hardMode + e x easyMode.
struct Lin {
  double base;
  double h;
  double e;
  double Eval() const { return base + h * hardMode + e * easyMode; }
};

inline bool IsAlive(int k) { return enemyState[k] == kEnemyAlive; }
inline void RemoveEnemy(int k) { enemyState[k] = kEnemyFree; }

// Moves a float field by a value computed in double.
inline void AddTo(float& field, double delta) { field = float(double(field) + delta); }

// Counts an enemy's timer up by one, back to 0 when it reaches `wrap`.
inline void CountTimer(int k, int wrap) {
  enemyTimer[k] = int16_t(enemyTimer[k] + 1);
  if (enemyTimer[k] >= wrap) enemyTimer[k] = 0;
}

// Whether `t` is a multiple of n (n > 0).
inline bool EveryN(int t, int n) { return n > 0 && t % n == 0; }

void FireVolleyFrom(int k);     // aimed volley
void FireLargeShotFrom(int k);  // one large shot
void FireTwinShotsFrom(int k);  // twin large shots

// Aims enemy k at the ship with a random offset -(spread - 1)..spread on each
// axis (x drawn first), the aim point being the ship's position + 16, and
// keeps the velocity (speedX dx / dist, speedY dy / dist) in enemyParamA /
// enemyParamB. With the aim point exactly on the enemy the dive goes straight
// down at speedY.
void AimAtShip(int k, int spread, double speedX, double speedY);

// Flies enemy k by its kept velocity.
inline void FlyStraight(int k) {
  AddTo(enemyX[k], enemyParamA[k]);
  AddTo(enemyY[k], enemyParamB[k]);
}

// The edge test of a free-flying enemy: below y 480, above -margin (its lower
// edge), left of -margin (its right edge) or right of `right`.
inline bool OffField(int k, double margin, double right) {
  const double s = enemyScale[k];
  const double x = enemyX[k];
  const double y = enemyY[k];
  return y > 480 || y + 40 * s < -margin || x + 40 * s < -margin || x > right;
}

// The centre x of enemy k (x + 20 s).
inline double CentreX(int k) { return double(enemyX[k]) + 20.0 * enemyScale[k]; }

// Follows the ship sideways: left while the centre is at or beyond the ship's
// x + 28, right while it is at or short of the ship's x + 8.
inline void FollowShip(int k, double speed) {
  const double c = CentreX(k);
  if (c >= double(playerX) + 28) {
    AddTo(enemyX[k], -speed);
  } else if (c <= double(playerX) + 8) {
    AddTo(enemyX[k], speed);
  }
}

// ---- Script families (each reads its rows scriptRow..) -------------------------
void RunColumnScript();     // 1, 40, 100
void RunStopAndGoScript();  // 2..4, 7, 14, 26, 28..30, 43, 50, 86, 90, 106, 129
void RunStreamScript();     // 5, 6, 16, 23, 45, 74, 89
void RunDropScript();       // 8, 49, 55, 57, 70, 97
void RunSwayScript();       // 9, 17, 21, 39
void RunMarchScript();      // 10
void RunBobScript();        // 11, 13
void RunPairScript();       // 12, 54, 87, 105, 122
void RunWiggleScript();     // 15
void RunPingPongScript();   // 20, 35, 60, 92, 131
void RunPauseDiveScript();  // 22, 38
void RunShadowScript();     // 24
void RunCrossBobScript();   // 25, 69
void RunSwoopScript();      // 27, 37, 44, 81, 103, 123
void RunLeaderScript();     // 31, 32, 36, 46, 72, 83, 111, 133
void RunHomingScript();     // 33, 66
void RunOrbitScript();      // 34, 71
void RunDriftScript();      // 41, 75, 95, 101, 115, 135
void RunRingScript();       // 42, 56, 61, 91, 124
void RunTrackerScript();    // 47, 52, 63, 94, 109, 126
void RunSentryScript();     // 48, 80, 96, 114, 120
void RunBrakeScript();      // 51, 68, 113, 130
void RunRiserScript();      // 53, 65, 108
void RunZigzagScript();     // 62, 85
void RunHunterScript();     // 64
void RunGlideScript();      // 67, 73, 82, 88, 104, 110, 127
void RunPlungeScript();     // 84, 125
void RunSweepScript();      // 93, 121
void RunBouncerScript();    // 102, 128
void RunShowerScript();     // 107, 134
void RunRageScript();       // 112, 132
void RunBossScript();       // 150..156
