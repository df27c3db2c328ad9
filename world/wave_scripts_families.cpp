// The script families of the stage waves. Every family is one procedure that
// runs the rows scriptRow.. of its own table; a row is one group of slots of
// a formation with the constants of its variant. Movement applies to every
// slot of a row whatever its state; firing needs the enemy alive.
#include <cmath>

#include "platform/random.h"
#include "world/trig.h"
#include "world/volleys.h"
#include "world/wave_scripts_kit.h"

int32_t scriptRow;
int32_t scriptRowCount;

void FireVolleyFrom(int k) {
  scriptEnemy = uint8_t(k);
  FireAimedVolley();
}

void FireLargeShotFrom(int k) {
  scriptEnemy = uint8_t(k);
  FireLargeShot();
}

void FireTwinShotsFrom(int k) {
  scriptEnemy = uint8_t(k);
  FireTwinLargeShots();
}

void AimAtShip(int k, int spread, double speedX, double speedY) {
  // The offsets, the distance and the velocity go through the shared float
  // scalars aimDX, aimDY and aimDist, as a bullet's aim does.
  const double r1 = Rnd();
  aimDX = float(std::floor(r1 * 2 * spread + 1 - spread) + (double(playerX) + 16) - double(enemyX[k]));
  const double r2 = Rnd();
  aimDY = float(std::floor(r2 * 2 * spread + 1 - spread) + (double(playerY) + 16) - double(enemyY[k]));
  aimDist = float(std::sqrt(double(aimDX) * aimDX + double(aimDY) * aimDY));
  if (aimDist == 0) {
    enemyParamA[k] = 0;
    enemyParamB[k] = float(speedY);
    return;
  }
  enemyParamA[k] = float(speedX * aimDX / aimDist);
  enemyParamB[k] = float(speedY * aimDY / aimDist);
}

namespace {

// Scale used by the edge tests: slot 0's for the formations that share it.
float EdgeScale(int k, bool slot0Scale) { return slot0Scale ? enemyScale[0] : enemyScale[k]; }

}  // namespace

// ---- Columns: 1, 40, 100 --------------------------------------------------------
namespace {
struct ColumnRow {
  int first, last;
  double fall;
  bool centreOnWide;  // false: 2 towards 160; true: 4 towards the band 155..165
};
// clang-format off
constexpr ColumnRow kColumnRows[] = {
    /* 0: 1, 40 */ {0, 19, 4, false},
    /* 1: 100   */ {0, 19, 6, true},
};
// clang-format on
}  // namespace

void RunColumnScript() {
  for (int r = scriptRow; r < scriptRow + scriptRowCount; ++r) {
    const ColumnRow& row = kColumnRows[r];
    for (int k = row.first; k <= row.last; ++k) {
      AddTo(enemyY[k], row.fall);
      if (enemyY[k] > 70 && enemyY[k] < 465) {
        if (row.centreOnWide) {
          if (enemyX[k] < 155) {
            AddTo(enemyX[k], 4);
          } else if (enemyX[k] > 165) {
            AddTo(enemyX[k], -4);
          }
        } else if (enemyX[k] < 160) {
          AddTo(enemyX[k], 2);
        } else if (enemyX[k] > 160) {
          AddTo(enemyX[k], -2);
        }
        if (IsAlive(k) && enemyTimer[k] == 0) {
          enemyTimer[k] = 1;
          FireVolleyFrom(k);
        }
      }
      if (enemyY[k] > 465) RemoveEnemy(k);
    }
  }
}

// ---- Stop and go: come in, wait firing, leave upwards ----------------------------
namespace {
struct StopGoRow {
  int first, last;
  double fall;      // step 0 speed
  double stopBase;  // step 1 from y >= stopBase + stopPerSlot (k - first)
  double stopPerSlot;
  int volleyAt1, volleyAt2;  // timer values with a volley (-1 none)
  int volleyEvery;           // volley whenever the timer is a multiple (0 none)
  bool largeOnEven;          // large shot while the timer before its rise is even
  int leaveAt;               // step 2 at this timer
  double climb;              // step 2 speed
  bool slot0Scale;
};
// clang-format off
constexpr StopGoRow kStopGoRows[] = {
    /* 0: 2..4, 28..30 */ {0, 1, 6, 130, 0,  2, 52,  0, false,  70,  7, true},
    /* 1: 7, 14, 26, 43 */{0, 0, 5,  70, 0,  1, -1,  0, false, 175, 10, false},
    /* 2: 50 */           {0, 1, 5,  70, 0,  1, -1, 42, false, 265, 10, false},
    /* 3: 86 */           {0, 1, 6,  90, 5, -1, -1, 17, true,  155,  7, true},
    /* 4: 90 */           {0, 1, 5,  70, 0,  1, -1, 30, false, 275, 10, false},
    /* 5: 106 */          {0, 2, 6,  90, 5, -1, -1, 15, true,  195,  7, true},
    /* 6: 129, 0..1 */    {0, 1, 6,  70, 5, -1, -1, 15, true,  200,  7, true},
    /* 7: 129, 2 */       {2, 2, 6,  85, 0,  1, -1, 20, false, 200,  7, true},
};
// clang-format on
}  // namespace

void RunStopAndGoScript() {
  for (int r = scriptRow; r < scriptRow + scriptRowCount; ++r) {
    const StopGoRow& row = kStopGoRows[r];
    for (int k = row.first; k <= row.last; ++k) {
      switch (enemyStep[k]) {
        case 0:
          AddTo(enemyY[k], row.fall);
          if (enemyY[k] >= row.stopBase + row.stopPerSlot * (k - row.first)) enemyStep[k] = 1;
          break;
        case 1: {
          if (row.largeOnEven && IsAlive(k) && enemyTimer[k] % 2 == 0) FireLargeShotFrom(k);
          enemyTimer[k] = int16_t(enemyTimer[k] + 1);
          const int t = enemyTimer[k];
          if (t >= row.leaveAt) enemyStep[k] = 2;
          const bool volley = t == row.volleyAt1 || t == row.volleyAt2 || EveryN(t, row.volleyEvery);
          if (volley && IsAlive(k)) FireVolleyFrom(k);
          break;
        }
        default:
          AddTo(enemyY[k], -row.climb);
          if (enemyY[k] + 40.0 * EdgeScale(k, row.slot0Scale) < -20) RemoveEnemy(k);
          break;
      }
    }
  }
}

// ---- Diagonal streams: 5, 6, 16, 23, 45, 74, 89 ------------------------------------
namespace {
struct StreamRow {
  int first, last;
  int dir;  // -1 to the left (fires once x <= 120 + 4k), +1 to the right (x >= 130 - 4k)
};
// clang-format off
constexpr StreamRow kStreamRows[] = {
    /* 0: 5, 74 */     {0, 12, -1},
    /* 1: 6, 16, 45 */ {0, 12, +1},
    /* 2: 23 */        {0,  5, -1},
    /* 3: 23 */        {6, 10, +1},
    /* 4: 89 */        {0,  7, -1},
    /* 5: 89 */        {8, 15, +1},
};
// clang-format on
}  // namespace

void RunStreamScript() {
  for (int r = scriptRow; r < scriptRow + scriptRowCount; ++r) {
    const StreamRow& row = kStreamRows[r];
    for (int k = row.first; k <= row.last; ++k) {
      AddTo(enemyY[k], 2);
      AddTo(enemyX[k], 10.0 * row.dir);
      const bool inPlace = row.dir < 0 ? enemyX[k] <= 120 + 4 * k : enemyX[k] >= 130 - 4 * k;
      if (inPlace && IsAlive(k) && enemyTimer[k] == 0) {
        enemyTimer[k] = 1;
        FireVolleyFrom(k);
      }
      const bool gone = row.dir < 0 ? enemyX[k] + 40.0 * enemyScale[0] < -20 : enemyX[k] > 350;
      if (gone) RemoveEnemy(k);
    }
  }
}

// ---- Straight falls: 8 and the fast showers 49, 55, 57, 70, 97 ------------------------
namespace {
struct DropRow {
  int first, last;
  double fall;
};
// clang-format off
constexpr DropRow kDropRows[] = {
    /* 0: 8 */                  {0,  8,  3},
    /* 1: 49, 55, 57, 70, 97 */ {0, 25, 22},
};
// clang-format on
}  // namespace

void RunDropScript() {
  for (int r = scriptRow; r < scriptRow + scriptRowCount; ++r) {
    const DropRow& row = kDropRows[r];
    for (int k = row.first; k <= row.last; ++k) {
      AddTo(enemyY[k], row.fall);
      if (enemyY[k] > 480) RemoveEnemy(k);
    }
  }
}

// ---- Swaying fall: 9, 17, 21, 39 ---------------------------------------------------------
namespace {
struct SwayRow {
  int first, last;
  int volleyModulo;  // a volley whenever t mod this is volleyPhase (0: no firing)
  int volleyPhase;
};
// clang-format off
constexpr SwayRow kSwayRows[] = {
    /* 0: 9, 17 */  {0,  9,  0,  0},
    /* 1: 21, 39 */ {0, 10, 60, 30},
};
// clang-format on
}  // namespace

void RunSwayScript() {
  for (int r = scriptRow; r < scriptRow + scriptRowCount; ++r) {
    const SwayRow& row = kSwayRows[r];
    for (int k = row.first; k <= row.last; ++k) {
      AddTo(enemyY[k], 4);
      CountTimer(k, 3600);
      const int t = enemyTimer[k];
      AddTo(enemyX[k], 4.5 * trig::Cos(0.1 * t));
      if (row.volleyModulo > 0 && t % row.volleyModulo == row.volleyPhase && IsAlive(k)) FireVolleyFrom(k);
      if (enemyY[k] > 480) RemoveEnemy(k);
    }
  }
}

// ---- 10: slow march with a volley every 50 frames ---------------------------------------
void RunMarchScript() {
  for (int k = 0; k <= 8; ++k) {
    AddTo(enemyY[k], 2);
    CountTimer(k, 50);
    if (enemyTimer[k] == 30 + 10 * easyMode && IsAlive(k)) FireVolleyFrom(k);
    if (enemyY[k] > 480) RemoveEnemy(k);
  }
}

// ---- Bobbing across: 11 (to the left), 13 (to the right) ---------------------------------
namespace {
struct BobRow {
  int first, last;
  int dir;
};
// clang-format off
constexpr BobRow kBobRows[] = {
    /* 0: 11 */ {0, 10, -1},
    /* 1: 13 */ {0, 10, +1},
};
// clang-format on
}  // namespace

void RunBobScript() {
  for (int r = scriptRow; r < scriptRow + scriptRowCount; ++r) {
    const BobRow& row = kBobRows[r];
    for (int k = row.first; k <= row.last; ++k) {
      CountTimer(k, 360);
      enemyY[k] = float(std::floor(double(enemyY[k]) + 3.5 * trig::Cos(0.1 * enemyTimer[k])));
      AddTo(enemyX[k], 4.0 * row.dir);
      // One volley per enemy, once it is well inside the field (step 0 -> 1).
      const bool inside = row.dir < 0 ? enemyX[k] <= 250 : enemyX[k] >= 40;
      if (inside && enemyStep[k] == 0 && IsAlive(k)) {
        enemyStep[k] = 1;
        FireVolleyFrom(k);
      }
      const bool gone = row.dir < 0 ? enemyX[k] + 40.0 * enemyScale[0] < -20 : enemyX[k] > 350;
      if (gone) RemoveEnemy(k);
    }
  }
}

// ---- Swinging pair: 12, 54, 87, 105, 122 ----------------------------------------------------
namespace {
struct PairRow {
  int volleyModulo;  // a volley whenever t mod this is volleyPhase (0: none)
  int volleyPhase;
};
// clang-format off
constexpr PairRow kPairRows[] = {
    /* 0: 12 */            { 0,  0},
    /* 1: 54 */            {80, 26},
    /* 2: 87, 105, 122 */  {40, 13},
};
// clang-format on
}  // namespace

void RunPairScript() {
  const PairRow& row = kPairRows[scriptRow];
  for (int k = 0; k <= 1; ++k) {
    enemyTimer[k] = int16_t(enemyTimer[k] + 1);
    if (row.volleyModulo > 0 && enemyTimer[k] % row.volleyModulo == row.volleyPhase && IsAlive(k)) {
      FireVolleyFrom(k);
    }
    if (enemyTimer[k] >= 360) enemyTimer[k] = 0;
    const double c = trig::Cos(0.1 * enemyTimer[k]);
    const double sign = k == 0 ? 1.0 : -1.0;
    enemyX[k] = float(std::floor(double(enemyX[k]) + sign * 10 * c));
    enemyY[k] = float(std::floor(double(enemyY[k]) + 1.5 * c) + 9);
    if (enemyY[k] > 480) RemoveEnemy(k);
  }
}

// ---- 15: wiggling fall ------------------------------------------------------------------
void RunWiggleScript() {
  for (int k = 0; k <= 7; ++k) {
    CountTimer(k, 3600);
    AddTo(enemyY[k], 3);
    enemyX[k] = float(std::floor(double(enemyX[k]) + 3.2 * trig::Sin(0.1 * enemyTimer[k])) + 0.3);
    if (enemyY[k] > 480) RemoveEnemy(k);
  }
}

// ---- Ping-pong: 20, 35, 60, 92, 131 ------------------------------------------------------------
namespace {
struct PingPongRow {
  int last;
  Lin volleyEvery;  // base 0: no firing
};
// clang-format off
constexpr PingPongRow kPingPongRows[] = {
    /* 0: 20, 35 */ { 9, { 0, 0, 0}},
    /* 1: 60 */     {13, {29, 0, 4}},
    /* 2: 92 */     {13, {16, 0, 3}},
    /* 3: 131 */    {13, {24, 0, 2}},
};
// clang-format on
}  // namespace

void RunPingPongScript() {
  const PingPongRow& row = kPingPongRows[scriptRow];
  const int every = int(row.volleyEvery.Eval());
  for (int k = 0; k <= row.last; ++k) {
    AddTo(enemyY[k], 2);
    if (enemyStep[k] == 0) {
      AddTo(enemyX[k], 10);
      if (enemyX[k] > 280) enemyStep[k] = 1;
    } else {
      AddTo(enemyX[k], -10);
      if (enemyX[k] < 20) enemyStep[k] = 0;
    }
    if (every > 0) {
      enemyTimer[k] = int16_t(enemyTimer[k] + 1);
      if (EveryN(enemyTimer[k], every) && IsAlive(k)) FireVolleyFrom(k);
    }
    if (enemyY[k] > 480) RemoveEnemy(k);
  }
}

// ---- 22, 38: come in, pause, dive ---------------------------------------------------------------
void RunPauseDiveScript() {
  for (int k = 0; k <= 4; ++k) {
    switch (enemyStep[k]) {
      case 0:
        AddTo(enemyY[k], 9);
        if (enemyY[k] >= 110) enemyStep[k] = 1;
        break;
      case 1:
        enemyTimer[k] = int16_t(enemyTimer[k] + 1);
        if (enemyTimer[k] >= 30) enemyStep[k] = 2;
        break;
      case 2:
        AimAtShip(k, 32, 12, 12);
        if (enemyHp[k] > 3) enemyHp[k] = 3;
        enemyStep[k] = 3;
        break;
      default:
        FlyStraight(k);
        if (OffField(k, 5, 355)) RemoveEnemy(k);
        break;
    }
  }
}

// ---- 24: a pair that shadows the ship and drops large shots ------------------------------------
void RunShadowScript() {
  for (int k = 0; k <= 1; ++k) {
    switch (enemyStep[k]) {
      case 0:
        AddTo(enemyY[k], 6);
        if (enemyY[k] >= 80 + 65 * k) enemyStep[k] = 1;
        break;
      case 1: {
        enemyTimer[k] = int16_t(enemyTimer[k] + 1);
        const double c = CentreX(k);
        if (c < double(playerX) + 8) {
          AddTo(enemyX[k], 6.2);
        } else if (c > double(playerX) + 28) {
          AddTo(enemyX[k], -6.2);
        } else if (IsAlive(k)) {
          FireLargeShotFrom(k);
          enemyParamA[k] = 0;
          enemyStep[k] = 3;
        }
        if (enemyTimer[k] >= 155) enemyStep[k] = 2;
        break;
      }
      case 3:  // pause after a shot; the stay counts on
        enemyTimer[k] = int16_t(enemyTimer[k] + 1);
        AddTo(enemyParamA[k], 1);
        if (enemyParamA[k] >= 30) enemyStep[k] = 1;
        if (enemyTimer[k] >= 155) enemyStep[k] = 2;
        break;
      default:
        AddTo(enemyY[k], -7);
        if (enemyY[k] + 40.0 * enemyScale[0] < -20) RemoveEnemy(k);
        break;
    }
  }
}

// ---- 25, 69: two bobbing streams crossing ------------------------------------------------------
void RunCrossBobScript() {
  for (int k = 0; k <= 12; ++k) {
    CountTimer(k, 360);
    enemyY[k] = float(std::floor(double(enemyY[k]) + 3.5 * trig::Cos(0.1 * enemyTimer[k])));
    const bool leftward = k <= 6;
    AddTo(enemyX[k], leftward ? -4 : 4);
    const int volleyAt = leftward ? 53 + 10 * k : 53 + 10 * (k - 7);
    if (enemyTimer[k] == volleyAt) {
      if (IsAlive(k)) FireVolleyFrom(k);
      enemyTimer[k] = 1;
    }
    const bool gone = leftward ? enemyX[k] + 40.0 * enemyScale[0] < -20 : enemyX[k] + 40 > 370;
    if (gone) RemoveEnemy(k);
  }
}

// ---- Swoops: come in, aim once, fly through with a shot over the ship ---------------------------
namespace {
struct SwoopRow {
  int last;
  Lin speedX, speedY;
  double fireLine;    // fires once y > this
  bool aboveShipToo;  // also needs the centre y above the ship; fires a volley first
};
// clang-format off
constexpr SwoopRow kSwoopRows[] = {
    /* 0: 27 */  {13, {11, 0,  0}, {5,   0,  0}, 10, false},
    /* 1: 37 */  {15, {12, 0,  0}, {5,   0,  0}, 10, false},
    /* 2: 44 */  {17, {12, 3,  0}, {6,   1,  0}, 10, false},
    /* 3: 81 */  {14, {12, 2, -1}, {6,   1, -1}, 10, false},
    /* 4: 103 */ {14, {12, 0,  0}, {6,   0,  0}, 15, true},
    /* 5: 123 */ {18, {12, 0,  0}, {6.5, 0,  0}, 15, true},
};
// clang-format on
}  // namespace

void RunSwoopScript() {
  const SwoopRow& row = kSwoopRows[scriptRow];
  for (int k = 0; k <= row.last; ++k) {
    const double s = enemyScale[k];
    switch (enemyStep[k]) {
      case 0:
        AddTo(enemyY[k], 5);
        if (enemyY[k] + 40 * s > -5) enemyStep[k] = 1;
        break;
      case 1:
        AimAtShip(k, 32, row.speedX.Eval(), row.speedY.Eval());
        enemyStep[k] = 2;
        break;
      case 2: {
        FlyStraight(k);
        const double c = CentreX(k);
        bool over = enemyY[k] > row.fireLine && c > double(playerX) + 8 && c < double(playerX) + 24;
        if (row.aboveShipToo) over = over && double(enemyY[k]) + 20 * s < playerY;
        if (over && IsAlive(k)) {
          if (row.aboveShipToo) FireVolleyFrom(k);
          FireLargeShotFrom(k);
          enemyStep[k] = 3;
        }
        if (OffField(k, 5, 355)) RemoveEnemy(k);
        break;
      }
      default:
        FlyStraight(k);
        if (OffField(k, 5, 355)) RemoveEnemy(k);
        break;
    }
  }
}

// ---- Leader groups: stop, wait on the leader's count, dive together ---------------------------
namespace {
struct LeaderRow {
  int first, last, leader;
  bool sideways;      // false: y + 8 until y > stopBase + stopPerSlot (k - first)
  double entrySpeed;  // sideways: x + entrySpeed until past stopBase (left- or rightwards)
  double stopBase, stopPerSlot;
  int countTo;  // the leader's timer at which all dive
  Lin diveSpeed;
  float hpCap;
  bool volleyOnAim;
};
// clang-format off
constexpr LeaderRow kLeaderRows[] = {
    /* 0: 31, 32 */      {0, 4, 4, false,  8,  15, 40, 35, {16, 2, -1}, 6, false},
    /* 1: 36 */          {0, 4, 4, false,  8,  25,  0, 35, {16, 3,  0}, 6, false},
    /* 2: 46 */          {0, 4, 4, false,  8,  15, 40, 35, {17, 2, -1}, 6, false},
    /* 3: 46 */          {5, 9, 9, false,  8,  15, 40, 35, {17, 0,  0}, 6, false},
    /* 4: 72 */          {0, 4, 4, true,  -6, 270,  0, 40, {16, 2, -1}, 6, false},
    /* 5: 72 */          {5, 9, 9, true,   6,  50,  0, 40, {16, 2,  0}, 6, false},
    /* 6: 83, 111, 133 */{0, 4, 4, true,  -6, 270,  0, 40, {15, 2, -1}, 5, true},
    /* 7: 83, 111, 133 */{5, 9, 9, true,   6,  50,  0, 40, {15, 2, -1}, 5, true},
};
// clang-format on

void LeaderAim(int k, const LeaderRow& row) {
  const double speed = row.diveSpeed.Eval();
  AimAtShip(k, 32, speed, speed);
  if (row.volleyOnAim && IsAlive(k)) FireVolleyFrom(k);
  enemyStep[k] = 3;
}
}  // namespace

void RunLeaderScript() {
  for (int r = scriptRow; r < scriptRow + scriptRowCount; ++r) {
    const LeaderRow& row = kLeaderRows[r];
    const int lead = row.leader;
    for (int k = row.first; k <= row.last; ++k) {
      if (enemyStep[k] == 0) {
        bool stopped;
        if (row.sideways) {
          AddTo(enemyX[k], row.entrySpeed);
          stopped = row.entrySpeed < 0 ? enemyX[k] < row.stopBase : enemyX[k] > row.stopBase;
        } else {
          AddTo(enemyY[k], 8);
          stopped = enemyY[k] > row.stopBase + row.stopPerSlot * (k - row.first);
        }
        if (stopped) enemyStep[k] = 1;  // the frame it stops it leaves the count alone
        continue;
      }
      if (enemyStep[lead] == 1) {
        enemyTimer[lead] = int16_t(enemyTimer[lead] + 1);
        if (enemyTimer[lead] >= row.countTo) enemyStep[lead] = 2;
      } else if (enemyStep[lead] == 2) {
        LeaderAim(k, row);
      } else if (enemyStep[lead] == 3) {
        // An enemy that never aimed (it stopped after the others dived) aims now
        // rather than hang in place with no velocity.
        if (enemyStep[k] != 3) LeaderAim(k, row);
        FlyStraight(k);
        if (enemyHp[k] > row.hpCap) enemyHp[k] = row.hpCap;
        if (OffField(k, 5, 355)) RemoveEnemy(k);
      }
    }
  }
}

// ---- Homing: 33, 66 ----------------------------------------------------------------------------------
namespace {
struct HomingRow {
  int last;
  int spread;
  Lin speed;
  int leaveBase, leavePerSlot;  // step 1 at timer leaveBase + leavePerSlot k
  int volleyModulo;             // 0: no firing; else whenever t mod this is 6 x hardMode
};
// clang-format off
constexpr HomingRow kHomingRows[] = {
    /* 0: 33 */ {0, 32, {4.5, 0, -0.2}, 230, 0,  0},
    /* 1: 66 */ {2, 64, {3.2, 0,  0},   175, 8, 23},
};
// clang-format on
}  // namespace

void RunHomingScript() {
  const HomingRow& row = kHomingRows[scriptRow];
  for (int k = 0; k <= row.last; ++k) {
    if (enemyStep[k] == 0) {
      const double speed = row.speed.Eval();
      AimAtShip(k, row.spread, speed, speed);
      FlyStraight(k);
      enemyTimer[k] = int16_t(enemyTimer[k] + 1);
      if (row.volleyModulo > 0 && enemyTimer[k] % row.volleyModulo == 6 * hardMode && IsAlive(k)) {
        FireVolleyFrom(k);
      }
      if (enemyTimer[k] >= row.leaveBase + row.leavePerSlot * k) enemyStep[k] = 1;
    } else {
      AddTo(enemyY[k], -5);
      if (enemyY[k] + 40.0 * enemyScale[k] < -10) RemoveEnemy(k);
    }
  }
}

// ---- Orbits around a drifting leader: 34, 71 ----------------------------------------------------------
namespace {
struct OrbitRow {
  double fall;
  double dropOrbiters;    // extra y of the orbiters
  int centreVolleyEvery;  // 0: none
  int orbiterVolleyEvery;
};
// clang-format off
constexpr OrbitRow kOrbitRows[] = {
    /* 0: 34 */ {2, 0,  0,  0},
    /* 1: 71 */ {3, 3, 24, 52},
};
// clang-format on
}  // namespace

void RunOrbitScript() {
  const OrbitRow& row = kOrbitRows[scriptRow];
  AddTo(enemyY[0], row.fall);
  enemyTimer[0] = int16_t(enemyTimer[0] + 1);
  if (EveryN(enemyTimer[0], row.centreVolleyEvery) && IsAlive(0)) FireVolleyFrom(0);
  if (enemyY[0] > 500) RemoveEnemy(0);
  const double t = enemyTimer[0];
  for (int k = 1; k <= 9; ++k) {
    const double a = 0.1 * t + k / 1.45;
    enemyX[k] = float(double(enemyX[0]) + 110 * trig::Sin(a));
    enemyY[k] = float(double(enemyY[0]) + 110 * trig::Cos(a) + row.dropOrbiters);
    if (row.orbiterVolleyEvery > 0) {
      enemyTimer[k] = int16_t(enemyTimer[k] + 1);
      if (EveryN(enemyTimer[k], row.orbiterVolleyEvery) && IsAlive(k)) FireVolleyFrom(k);
    }
    if (enemyY[k] > 500) RemoveEnemy(k);
  }
}

// ---- Drifting weave: 41, 75, and with a dive 95, 101, 115, 135 ----------------------------------------
namespace {
struct DriftRow {
  int last;
  int volleyModulo;  // a volley whenever t mod this is 3
  bool dives;        // takes its dive once its lower edge is within 128 of the ship's y
};
// clang-format off
constexpr DriftRow kDriftRows[] = {
    /* 0: 41, 75 */            { 8, 80, false},
    /* 1: 95, 101, 115, 135 */ {10, 33, true},
};
// clang-format on
}  // namespace

void RunDriftScript() {
  const DriftRow& row = kDriftRows[scriptRow];
  for (int k = 0; k <= row.last; ++k) {
    const double s = enemyScale[k];
    if (enemyStep[k] == 0) {
      CountTimer(k, 3600);
      const int t = enemyTimer[k];
      if (double(enemyY[k]) + 38 * s <= 5) {
        AddTo(enemyY[k], 3);
      } else {
        enemyY[k] = float(std::floor(double(enemyY[k]) + 3 * trig::Cos(0.1 * t)) + 2.4);
      }
      enemyX[k] = float(std::floor(double(enemyX[k]) + 3.2 * trig::Sin(0.1 * t)) + 0.3);
      if (t % row.volleyModulo == 3 && IsAlive(k)) FireVolleyFrom(k);
      if (enemyY[k] > 480) {
        RemoveEnemy(k);
        continue;
      }
      if (row.dives && double(enemyY[k]) + 40 * s > double(playerY) - 128) enemyStep[k] = 1;
    } else if (enemyStep[k] == 1) {
      AimAtShip(k, 32, 16, 16);
      if (IsAlive(k)) FireVolleyFrom(k);
      enemyStep[k] = 2;
      FlyStraight(k);
    } else {
      FlyStraight(k);
      if (OffField(k, 25, 355)) RemoveEnemy(k);
    }
  }
}

// ---- Rings around an invisible centre: 42, 56, 61, 91, 124 ----------------------------------------------
namespace {
struct RingRow {
  double fall;
  int volleyEvery;  // on the centre's timer (0: none)
  int easyExtra;    // added to volleyEvery x easyMode
};
// clang-format off
constexpr RingRow kRingRows[] = {
    /* 0: 42, 56 */ {3,    0, 0},
    /* 1: 61 */     {2.5, 48, 4},
    /* 2: 91 */     {2.5, 47, 0},
    /* 3: 124 */    {2.5, 25, 0},
};
// clang-format on
}  // namespace

void RunRingScript() {
  const RingRow& row = kRingRows[scriptRow];
  AddTo(enemyY[0], row.fall);
  enemyTimer[0] = int16_t(enemyTimer[0] + 1);
  if (enemyY[0] > 520) RemoveEnemy(0);
  const int t = enemyTimer[0];
  const int phase = t % 35;
  const double radius = t % 70 < 35 ? 145 - 3 * phase : 40 + 3 * phase;
  const int every = row.volleyEvery > 0 ? row.volleyEvery + row.easyExtra * easyMode : 0;
  for (int k = 1; k <= 9; ++k) {
    const double a = 0.1 * t + k / 1.45;
    enemyX[k] = float(double(enemyX[0]) + radius * trig::Sin(a));
    enemyY[k] = float(double(enemyY[0]) + radius * trig::Cos(a) + 2);
    if (EveryN(t, every) && IsAlive(k)) FireVolleyFrom(k);
    if (enemyY[k] > 520) RemoveEnemy(k);
  }
}
