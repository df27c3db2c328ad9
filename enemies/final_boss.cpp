#include "enemies/final_boss.h"

#include <cmath>

#include "world/volleys.h"
#include "world/world_state.h"

namespace {

constexpr float kArrivalHp = 550;
constexpr int16_t kLongWrap = 30000;
constexpr int16_t kShortWrap = 3600;
constexpr int kPauseFrames = 15;

int16_t& t = enemyTimer[0];
float& x = enemyX[0];
float& y = enemyY[0];
uint8_t& step = enemyStep[0];

void Fire(void (*volley)()) {
  scriptEnemy = 0;
  volley();
}

// t + 1, back to 0 at the wrap value, then the sideways sway.
void Weave(int16_t wrap) {
  t = int16_t(t + 1);
  if (t >= wrap) t = 0;
  x = float(x + 9 * std::cos(0.1 * t));
}

void StrafeFire() {
  if (t % (14 + 2 * easyMode) == 0) Fire(FireAimedVolley);
  if (t % 8 == 0) Fire(FireTwinLargeShots);
  if (t % 16 == 0 && enemyHp[0] < 200 + 150 * hardMode && easyMode == 0) Fire(FireCentreLargeShot);
}

void Strafe(float dx) {
  x = float(x + dx);
  t = int16_t(t + 1);
  StrafeFire();
}

float RightEdge() { return float(x + 40.0 * enemyScale[0]); }

// Rising off the top while weaving: leaves when y + 40 < limit (before the y change).
void Rise(float limit, uint8_t next) {
  Weave(kLongWrap);
  if (float(y + 40.0) < limit) step = next;
  y = float(y - 2);
  if (t % (8 + 2 * easyMode) == 0) Fire(FireAimedVolley);
}

// Coming back down while weaving: leaves when y > 60 (before the y change).
void Return(uint8_t next) {
  Weave(kShortWrap);
  if (y > 60) step = next;
  y = float(y + 2);
  if (t % (8 + 2 * easyMode) == 0) Fire(FireAimedVolley);
}

void DropIn(uint8_t next) {
  y = float(y + 2.5);
  if (y >= 10) {
    step = next;
    t = 0;
  }
}

void Pause(uint8_t next) {
  t = int16_t(t + 1);
  if (t >= kPauseFrames) step = next;
}

}  // namespace

void RunFinalBoss() {
  switch (step) {
    case 0:
      y = float(y + 1.5);
      if (y >= 50) {
        step = 1;
        enemyHp[0] = kArrivalHp;  // damage taken while arriving is forgotten
      }
      break;
    case 1: Rise(-40, 2); break;
    case 2: Return(3); break;
    case 3: DropIn(4); break;
    case 4: Pause(5); break;
    case 5:
      Strafe(-4);
      if (x < -20) step = 6;
      break;
    case 6:
      Strafe(4);
      if (RightEdge() > 350) step = 7;
      break;
    case 7:  // entered at x > 150, so it ends on its first frame
      Strafe(-4);
      if (x < 250) {
        step = 8;
        t = 0;
        Fire(FireBouncingVolley);
      }
      break;
    case 8: Pause(9); break;
    case 9: Rise(-50, 10); break;
    case 10: Return(11); break;
    case 11: DropIn(12); break;
    case 12: Pause(13); break;
    case 13:
      Strafe(4);
      if (RightEdge() > 340) {
        step = 14;
        t = 3;
      }
      break;
    case 14:
      Strafe(-4);
      if (x < -40) {
        step = 15;
        t = 0;
      }
      break;
    case 15:
      Strafe(4);
      if (x > 0) {
        step = 16;
        t = 0;
        Fire(FireBouncingVolley);
      }
      break;
    case 16:
      Pause(1);
      if (step == 1) t = int16_t(t + 95);
      break;
    default: break;
  }
}
