// The boss scripts of stages 1 to 7 (waves 150..156), slot 0 only. Every boss
// descends to its arrival line, gets its full hit points there, then moves
// and fires on its timer, which wraps at 30000.
#include "world/trig.h"
#include "world/wave_scripts_kit.h"

namespace {

enum BossMove : uint8_t {
  kSideStep,     // x - 2 / + 2 between the edges, y + 7 cos(0.1 t)
  kWeave,        // x + 6.8 cos(0.1 t), y + (4.6 + 0.2 H) cos(0.07 t)
  kRiseAndFall,  // x + 9 cos(0.1 t), rises off the top and comes back down
  kBounce,       // straight flight bouncing inside a box
  kWeaveStep,    // x + 6.6 cos(0.1 t) with the side step, y + (5.8 + 0.3 H) cos(0.07 t)
};

struct BossRow {
  double arriveY;
  float fullHp;
  BossMove move;
  Lin riseSpeed;  // kRiseAndFall
  Lin bottomY;    // kRiseAndFall: descends until y >= this
  Lin volleyEvery;
  int twinEvery;  // 0: none
};

// clang-format off
constexpr BossRow kBossRows[] = {
    /* 150 */ {30, 240, kSideStep,    {0, 0,   0}, { 0,  0, 0}, {12, -2, 2},  0},
    /* 151 */ {50, 260, kWeave,       {0, 0,   0}, { 0,  0, 0}, {14, -1, 1},  0},
    /* 152 */ {50, 280, kRiseAndFall, {2, 0,   0}, {60,  0, 0}, {17, -3, 3}, 12},
    /* 153 */ {30, 355, kBounce,      {0, 0,   0}, { 0,  0, 0}, { 8,  0, 1},  0},
    /* 154 */ {25, 365, kWeaveStep,   {0, 0,   0}, { 0,  0, 0}, { 7,  0, 1},  0},
    /* 155 */ {50, 380, kRiseAndFall, {2, 0.5, 0}, {60, 10, 0}, { 5,  0, 1},  0},
    /* 156 */ {50, 400, kRiseAndFall, {2, 0,   0}, {60,  0, 0}, {15, -2, 5},  5},
};
// clang-format on
static_assert(sizeof(kBossRows) / sizeof(kBossRows[0]) == 7, "one row per boss of stages 1..7");

// Steps 1 (leftwards) and 2 (rightwards) of a side-stepping boss.
void SideStep(double& dx) {
  const double s = enemyScale[0];
  dx += enemyStep[0] == 1 ? -2 : 2;
  const double x = double(enemyX[0]) + dx;
  if (x < 5) {
    enemyStep[0] = 2;
  } else if (x + 40 * s > 345) {
    enemyStep[0] = 1;
  }
}

void MoveBoss(const BossRow& row) {
  const double t = enemyTimer[0];
  const double s = enemyScale[0];
  switch (row.move) {
    case kSideStep: {
      double dx = 0;
      SideStep(dx);
      AddTo(enemyX[0], dx);
      AddTo(enemyY[0], 7 * trig::Cos(0.1 * t));
      break;
    }
    case kWeave:
      AddTo(enemyX[0], 6.8 * trig::Cos(0.1 * t));
      AddTo(enemyY[0], (4.6 + 0.2 * hardMode) * trig::Cos(0.07 * t));
      break;
    case kWeaveStep: {
      double dx = 6.6 * trig::Cos(0.1 * t);
      SideStep(dx);
      AddTo(enemyX[0], dx);
      AddTo(enemyY[0], (5.8 + 0.3 * hardMode) * trig::Cos(0.07 * t));
      break;
    }
    case kRiseAndFall: {
      AddTo(enemyX[0], 9 * trig::Cos(0.1 * t));
      const double speed = row.riseSpeed.Eval();
      if (enemyStep[0] == 1) {
        AddTo(enemyY[0], -speed);
        if (enemyY[0] + 40 < -40) enemyStep[0] = 2;
      } else {
        AddTo(enemyY[0], speed);
        if (enemyY[0] >= row.bottomY.Eval()) enemyStep[0] = 1;
      }
      break;
    }
    case kBounce:
      AddTo(enemyX[0], -double(enemyParamA[0]));
      AddTo(enemyY[0], enemyParamB[0]);
      if (enemyY[0] < -30 || enemyY[0] + 40 * s > 300) enemyParamB[0] = -enemyParamB[0];
      if (enemyX[0] < 2 || enemyX[0] + 40 * s > 348) enemyParamA[0] = -enemyParamA[0];
      break;
  }
}

}  // namespace

void RunBossScript() {
  if (!IsAlive(0)) return;
  const BossRow& row = kBossRows[wave - 150];
  if (enemyStep[0] == 0) {
    AddTo(enemyY[0], 2);
    if (enemyY[0] >= row.arriveY) {
      enemyHp[0] = row.fullHp;
      enemyStep[0] = 1;
      if (row.move == kBounce) {
        enemyParamA[0] = float(4.6 + 0.4 * hardMode);
        enemyParamB[0] = float(3.6 + 0.4 * hardMode);
      }
    }
    return;
  }
  CountTimer(0, 30000);
  MoveBoss(row);
  const int t = enemyTimer[0];
  if (EveryN(t, int(row.volleyEvery.Eval()))) FireVolleyFrom(0);
  if (EveryN(t, row.twinEvery)) FireTwinShotsFrom(0);
}
