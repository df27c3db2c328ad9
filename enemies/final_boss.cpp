#include "enemies/final_boss.h"

#include "world/trig.h"
#include "world/volleys.h"
#include "world/world_state.h"

namespace {

constexpr float kArrivalHp = 550;
constexpr int16_t kLongWrap = 30000;
constexpr int16_t kShortWrap = 3600;
constexpr int kPauseFrames = 15;

int16_t& bossTimer = enemyTimer[0];
float& bossX = enemyX[0];
float& bossY = enemyY[0];
uint8_t& bossStep = enemyStep[0];

void Fire(void (*volley)()) {
  scriptEnemy = 0;
  volley();
}

// t + 1, back to 0 at the wrap value, then the sideways sway.
void Weave(int16_t wrap) {
  bossTimer = int16_t(bossTimer + 1);
  if (bossTimer >= wrap) bossTimer = 0;
  bossX = float(bossX + 9 * trig::Cos(0.1 * bossTimer));
}

void StrafeFire() {
  if (bossTimer % (14 + 2 * easyMode) == 0) Fire(FireAimedVolley);
  if (bossTimer % 8 == 0) Fire(FireTwinLargeShots);
  if (bossTimer % 16 == 0 && enemyHp[0] < 200 + 150 * hardMode && easyMode == 0) Fire(FireCentreLargeShot);
}

void Strafe(float dx) {
  bossX = float(bossX + dx);
  bossTimer = int16_t(bossTimer + 1);
  StrafeFire();
}

float RightEdge() { return float(bossX + 40.0 * enemyScale[0]); }

// Rising off the top while weaving: leaves when y + 40 < limit (before the y change).
void Rise(float limit, uint8_t next) {
  Weave(kLongWrap);
  if (float(bossY + 40.0) < limit) bossStep = next;
  bossY = float(bossY - 2);
  if (bossTimer % (8 + 2 * easyMode) == 0) Fire(FireAimedVolley);
}

// Coming back down while weaving: leaves when y > 60 (before the y change).
void Return(uint8_t next) {
  Weave(kShortWrap);
  if (bossY > 60) bossStep = next;
  bossY = float(bossY + 2);
  if (bossTimer % (8 + 2 * easyMode) == 0) Fire(FireAimedVolley);
}

void DropIn(uint8_t next) {
  bossY = float(bossY + 2.5);
  if (bossY >= 10) {
    bossStep = next;
    bossTimer = 0;
  }
}

void Pause(uint8_t next) {
  bossTimer = int16_t(bossTimer + 1);
  if (bossTimer >= kPauseFrames) bossStep = next;
}

}  // namespace

void RunFinalBoss() {
  switch (bossStep) {
    case 0:
      bossY = float(bossY + 1.5);
      if (bossY >= 50) {
        bossStep = 1;
        enemyHp[0] = kArrivalHp;  // damage taken while arriving is forgotten
      }
      break;
    case 1: Rise(-40, 2); break;
    case 2: Return(3); break;
    case 3: DropIn(4); break;
    case 4: Pause(5); break;
    case 5:
      Strafe(-4);
      if (bossX < -20) bossStep = 6;
      break;
    case 6:
      Strafe(4);
      if (RightEdge() > 350) bossStep = 7;
      break;
    case 7:  // entered at x > 150, so it ends on its first frame
      Strafe(-4);
      if (bossX < 250) {
        bossStep = 8;
        bossTimer = 0;
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
        bossStep = 14;
        bossTimer = 3;
      }
      break;
    case 14:
      Strafe(-4);
      if (bossX < -40) {
        bossStep = 15;
        bossTimer = 0;
      }
      break;
    case 15:
      Strafe(4);
      if (bossX > 0) {
        bossStep = 16;
        bossTimer = 0;
        Fire(FireBouncingVolley);
      }
      break;
    case 16:
      Pause(1);
      if (bossStep == 1) bossTimer = int16_t(bossTimer + 95);
      break;
    default: break;
  }
}
