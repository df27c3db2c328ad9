// The script families of the later stage waves: trackers, sentries, brakers,
// risers, zigzaggers, gliders, plungers, sweepers, bouncers and showers.
#include <cmath>

#include "platform/random.h"
#include "world/trig.h"
#include "world/wave_scripts_kit.h"

// ---- Trackers: a heavy enemy follows the ship and bursts large shots ---------------------
namespace {
struct TrackerRow {
  int first, last;
  double fall, arriveBase, arrivePerSlot;  // step 0: y + fall until y >= arrive
  double follow;
  int counterBase;  // step 1 is counted in the timer of slot counterBase (+ k if perSlot)
  bool counterPerSlot;
  int stayFor;     // step 2 once that count reaches this
  int burstAbove;  // large shots while t > this
  Lin restartAt;   // t >= this: (volley), t = 0, step 1
  bool volleyOnRestart;
  bool slot0Scale;
};
// clang-format off
constexpr TrackerRow kTrackerRows[] = {
    /* 0: 47 */  {0, 0, 5, 45,  0, 7,   2, false, 210, 10, {16, 0, 0}, true,  true},
    /* 1: 52 */  {0, 1, 6, 80, 65, 6.2, 2, true,  155, 24, {28, 0, 0}, false, true},
    /* 2: 63 */  {0, 0, 5, 45,  0, 7,   2, false, 210,  6, {12, 0, 0}, true,  false},
    /* 3: 94 */  {0, 0, 5, 45,  0, 7,   2, false, 210,  6, {13, 0, 0}, true,  false},
    /* 4: 109 */ {0, 0, 5, 45,  0, 8,   2, false, 220,  7, {14, 0, 4}, true,  false},
    /* 5: 126 */ {0, 0, 5, 45,  0, 8.5, 2, false, 220,  6, {12, 0, 3}, true,  false},
};
// clang-format on
}  // namespace

void RunTrackerScript() {
  const TrackerRow& row = kTrackerRows[scriptRow];
  for (int k = row.first; k <= row.last; ++k) {
    if (enemyStep[k] >= 1) {
      enemyTimer[k] = int16_t(enemyTimer[k] + 1);
      if (IsAlive(k) && enemyTimer[k] > row.burstAbove) {
        enemyStep[k] = 3;
        FireLargeShotFrom(k);
        if (enemyTimer[k] >= row.restartAt.Eval()) {
          if (row.volleyOnRestart) FireVolleyFrom(k);
          enemyTimer[k] = 0;
          enemyStep[k] = 1;
        }
      }
    }
    switch (enemyStep[k]) {
      case 0:
        AddTo(enemyY[k], row.fall);
        if (enemyY[k] >= row.arriveBase + row.arrivePerSlot * k) enemyStep[k] = 1;
        break;
      case 1: {
        FollowShip(k, row.follow);
        const int counter = row.counterBase + (row.counterPerSlot ? k : 0);
        enemyTimer[counter] = int16_t(enemyTimer[counter] + 1);
        if (enemyTimer[counter] >= row.stayFor) enemyStep[k] = 2;
        break;
      }
      case 2: {
        AddTo(enemyY[k], -7);
        const double s = row.slot0Scale ? enemyScale[0] : enemyScale[k];
        if (enemyY[k] + 40 * s < -20) RemoveEnemy(k);
        break;
      }
      default:  // holds still while bursting
        break;
    }
  }
}

// ---- Sentries: fall, fire as they pass the ship's line, then dive: 48, 80, 96, 114, 120 -----------
namespace {
struct SentryRow {
  int last;
  double fall;
  double lineBelowShip;  // volley and dive once y > the ship's y + this (or y > 320)
  double diveSpeed;
};
// clang-format off
constexpr SentryRow kSentryRows[] = {
    /* 0: 48 */          {10, 6,  10, 7},
    /* 1: 80, 96, 114 */ {12, 6, -25, 7.2},
    /* 2: 120 */         {12, 7, -25, 7.4},
};
// clang-format on
}  // namespace

void RunSentryScript() {
  const SentryRow& row = kSentryRows[scriptRow];
  for (int k = 0; k <= row.last; ++k) {
    const double s = enemyScale[k];
    switch (enemyStep[k]) {
      case 0: {
        AddTo(enemyY[k], row.fall);
        const double bottom = double(enemyY[k]) + 40 * s;
        if (bottom > -20 && bottom <= -10 && playerX <= 155) enemyX[k] = 270;
        if (IsAlive(k) && (enemyY[k] > double(playerY) + row.lineBelowShip || enemyY[k] > 320)) {
          FireVolleyFrom(k);
          enemyStep[k] = 1;
        }
        break;
      }
      case 1:
        AimAtShip(k, 32, row.diveSpeed, row.diveSpeed);
        enemyStep[k] = 2;
        FlyStraight(k);
        break;
      default:
        FlyStraight(k);
        if (OffField(k, 5, 355)) RemoveEnemy(k);
        break;
    }
  }
}

// ---- Brakers: dive, fire, brake to a halt and back away: 51, 68, 113, 130 ---------------------------
void RunBrakeScript() {
  for (int k = 0; k <= 14; ++k) {
    const double s = enemyScale[k];
    switch (enemyStep[k]) {
      case 0:
        AddTo(enemyY[k], 4);
        if (enemyY[k] + 40 * s > -5) enemyStep[k] = 1;
        break;
      case 1:
        AimAtShip(k, 32, 10, 7);
        enemyStep[k] = 2;
        break;
      case 2: {
        FlyStraight(k);
        const double threshold = 86 + std::floor(35 * double(Rnd()));
        if (IsAlive(k) && enemyY[k] > threshold) {
          FireVolleyFrom(k);
          enemyStep[k] = 3;
        }
        break;
      }
      case 3: {
        enemyTimer[k] = int16_t(enemyTimer[k] + 1);
        const double brake = 1 - 0.1 * enemyTimer[k];
        AddTo(enemyX[k], 1.4 * enemyParamA[k] * brake);
        AddTo(enemyY[k], 0.75 * enemyParamB[k] * brake);
        if (enemyTimer[k] >= 24) enemyStep[k] = 4;
        break;
      }
      default:
        AddTo(enemyX[k], -1.4 * enemyParamA[k]);
        AddTo(enemyY[k], -double(enemyParamB[k]));
        break;
    }
    if (enemyStep[k] >= 2 && OffField(k, 5, 355)) RemoveEnemy(k);
  }
}

// ---- Risers: columns coming up from below: 53, 65, 108 -----------------------------------------------
namespace {
struct RiserRow {
  int last;
  double farX;
  double climb;
  double volleyLine;  // volley and step 2 once y < this
  double drift;
  double splitX;  // drifts left while x < splitX, right otherwise
};
// clang-format off
constexpr RiserRow kRiserRows[] = {
    /* 0: 53 */  { 8, 260, 5, 220, 2,   155},
    /* 1: 65 */  {11, 245, 6, 220, 3,   155},
    /* 2: 108 */ {10, 250, 7, 150, 2.2,  80},
};
// clang-format on
}  // namespace

void RunRiserScript() {
  const RiserRow& row = kRiserRows[scriptRow];
  for (int k = 0; k <= row.last; ++k) {
    switch (enemyStep[k]) {
      case 0:
        AddTo(enemyY[k], -4);
        if (enemyY[k] < 465) {
          if (playerX < 155) enemyX[k] = float(row.farX);
          enemyStep[k] = 1;
        }
        break;
      case 1:
        AddTo(enemyY[k], -row.climb);
        if (enemyY[k] < row.volleyLine && IsAlive(k)) {
          FireVolleyFrom(k);
          enemyStep[k] = 2;
        }
        break;
      default:
        AddTo(enemyY[k], -row.climb);
        AddTo(enemyX[k], enemyX[k] < row.splitX ? -row.drift : row.drift);
        break;
    }
    if (enemyX[k] > 365 || enemyX[k] + 40.0 * enemyScale[k] < -10) RemoveEnemy(k);
  }
}

// ---- Zigzaggers that flee when hurt: 62, 85 -----------------------------------------------------------
namespace {
struct ZigzagRow {
  int last;
  Lin volleyEvery;
  float healthy;  // zigzags down while enemyHp >= this
  double descent, flee;
};
// clang-format off
constexpr ZigzagRow kZigzagRows[] = {
    /* 0: 62 */ {7, {33, 0, 3}, 5, 3, 6},
    /* 1: 85 */ {8, {29, 0, 3}, 6, 4, 7},
};
// clang-format on
}  // namespace

void RunZigzagScript() {
  const ZigzagRow& row = kZigzagRows[scriptRow];
  const int every = int(row.volleyEvery.Eval());
  for (int k = 0; k <= row.last; ++k) {
    enemyTimer[k] = int16_t(enemyTimer[k] + 1);
    const int t = enemyTimer[k];
    if (EveryN(t, every) && IsAlive(k)) FireVolleyFrom(k);
    if (EveryN(t, 6)) enemyStep[k] = enemyStep[k] == 0 ? 1 : 0;
    if (enemyHp[k] >= row.healthy) {
      AddTo(enemyY[k], row.descent);
      AddTo(enemyX[k], enemyStep[k] == 0 ? 3 : -3);
      if (enemyY[k] > 470) RemoveEnemy(k);
    } else {
      AddTo(enemyY[k], -row.flee);
      if (enemyY[k] + 40.0 * enemyScale[k] < -5) RemoveEnemy(k);
    }
  }
}

// ---- 64: weaving fall, then a dive at the ship when near it ----------------------------------------
void RunHunterScript() {
  for (int k = 0; k <= 10; ++k) {
    const double s = enemyScale[k];
    if (enemyStep[k] == 0) {
      const double y = enemyY[k];
      const double c = CentreX(k);
      const bool near = y > 90 && double(playerY) - (y + 40 * s) <= 75;
      const bool over = y > 70 && c > double(playerX) + 2 && c < double(playerX) + 38;
      if (near || over) {
        enemyStep[k] = 1;
      } else {
        AddTo(enemyY[k], 4);
        CountTimer(k, 3600);
        const int t = enemyTimer[k];
        AddTo(enemyX[k], 4.5 * trig::Cos(0.1 * t));
        if (t % (57 + 4 * k) == 1 && IsAlive(k)) FireVolleyFrom(k);
      }
    }
    if (enemyStep[k] == 1) {
      if (IsAlive(k)) {
        AimAtShip(k, 32, 10, 12);
        FireVolleyFrom(k);
        enemyStep[k] = 2;
        FlyStraight(k);
      }
    } else if (enemyStep[k] >= 2) {
      FlyStraight(k);
    }
    // The dive may point upwards when the ship is high: the top edge counts too.
    if (enemyStep[k] >= 2 && OffField(k, 5, 355)) RemoveEnemy(k);
  }
}

// ---- Gliders that slow down as they cross and speed up again --------------------------------------
namespace {
enum GlideWay : uint8_t { kFromLeft, kFromRight, kFromTop };
struct GlideRow {
  int first, last;
  GlideWay way;
  int slowTo;  // the timer falls by 2 a frame until it is <= slowTo, then rises by 2
};
// clang-format off
constexpr GlideRow kGlideRows[] = {
    /* 0: 67 */       {0, 10, kFromLeft,  34},
    /* 1: 73 */       {0, 10, kFromRight, 34},
    /* 2: 82 */       {0, 10, kFromTop,   32},
    /* 3: 88, 104 */  {0,  7, kFromLeft,  34},
    /* 4: 88, 104 */  {8, 15, kFromRight, 34},
    /* 5: 127 */      {0,  8, kFromLeft,  34},
    /* 6: 127 */      {9, 17, kFromRight, 34},
    /* 7: 110 */      {0, 12, kFromTop,   32},
};
// clang-format on
}  // namespace

void RunGlideScript() {
  for (int r = scriptRow; r < scriptRow + scriptRowCount; ++r) {
    const GlideRow& row = kGlideRows[r];
    for (int k = row.first; k <= row.last; ++k) {
      const double s = enemyScale[k];
      bool entering = false;
      switch (row.way) {
        case kFromLeft: entering = enemyX[k] + 40 * s < -12; break;
        case kFromRight: entering = enemyX[k] > 360; break;
        case kFromTop: entering = enemyY[k] + 40 * s < -5; break;
      }
      if (entering) {
        if (row.way == kFromLeft) AddTo(enemyX[k], 5);
        if (row.way == kFromRight) AddTo(enemyX[k], -5);
        if (row.way == kFromTop) AddTo(enemyY[k], 5);
      } else {
        const double glide = std::floor(enemyTimer[k] / 8.0);
        if (row.way == kFromLeft) AddTo(enemyX[k], glide);
        if (row.way == kFromRight) AddTo(enemyX[k], -glide);
        if (row.way == kFromTop) AddTo(enemyY[k], glide);
        if (enemyStep[k] == 0) {
          enemyTimer[k] = int16_t(enemyTimer[k] - 2);
          if (enemyTimer[k] <= row.slowTo) {
            enemyStep[k] = 1;
            if (IsAlive(k)) FireVolleyFrom(k);
          }
        } else {
          enemyTimer[k] = int16_t(enemyTimer[k] + 2);
        }
      }
      bool gone = false;
      switch (row.way) {
        case kFromLeft: gone = enemyX[k] > 370; break;
        case kFromRight: gone = enemyX[k] + 40 * s < -10; break;
        case kFromTop: gone = enemyY[k] > 470; break;
      }
      if (gone) RemoveEnemy(k);
    }
  }
}

// ---- Plungers: fall in and dive at once: 84, 125 -------------------------------------------------
namespace {
struct PlungeRow {
  Lin speed;
  bool everyThirdFires;  // slots that are multiples of 3 fire as they take step 1
};
// clang-format off
constexpr PlungeRow kPlungeRows[] = {
    /* 0: 84 */  {{18, 0, -2}, false},
    /* 1: 125 */ {{18, 0, -1}, true},
};
// clang-format on
}  // namespace

void RunPlungeScript() {
  const PlungeRow& row = kPlungeRows[scriptRow];
  for (int k = 0; k <= 24; ++k) {
    switch (enemyStep[k]) {
      case 0:
        AddTo(enemyY[k], 6);
        if (enemyY[k] + 40.0 * enemyScale[k] > -5) {
          enemyStep[k] = 1;
          // The volley comes as it takes step 1, a frame before it aims.
          if (row.everyThirdFires && k % 3 == 0 && IsAlive(k)) FireVolleyFrom(k);
        }
        break;
      case 1: {
        const double speed = row.speed.Eval();
        AimAtShip(k, 32, speed, speed);
        enemyStep[k] = 2;
        FlyStraight(k);
        break;
      }
      default:
        FlyStraight(k);
        if (OffField(k, 25, 355)) RemoveEnemy(k);
        break;
    }
  }
}

// ---- Sweepers: fall to a random line, sweep sideways with large shots, leave: 93, 121 ------------------
namespace {
struct SweepRow {
  int last;
  bool volleyOnTurns;  // a volley as it takes step 1 and as it takes step 4
};
// clang-format off
constexpr SweepRow kSweepRows[] = {
    /* 0: 93 */  {6, false},
    /* 1: 121 */ {8, true},
};
// clang-format on
}  // namespace

void RunSweepScript() {
  const SweepRow& row = kSweepRows[scriptRow];
  for (int k = 0; k <= row.last; ++k) {
    switch (enemyStep[k]) {
      case 0:
        AddTo(enemyY[k], 6);
        if (enemyY[k] >= 40 + std::floor(70 * double(Rnd()))) {
          enemyStep[k] = 1;
          if (row.volleyOnTurns && IsAlive(k)) FireVolleyFrom(k);
        }
        break;
      case 1:
        enemyStep[k] = CentreX(k) < 170 ? 2 : 3;
        AddTo(enemyX[k], enemyStep[k] == 2 ? 5 : -5);
        break;
      case 2:
      case 3:
        AddTo(enemyX[k], enemyStep[k] == 2 ? 5 : -5);
        enemyTimer[k] = int16_t(enemyTimer[k] + 1);
        if (enemyTimer[k] % 2 == 0 && IsAlive(k)) FireLargeShotFrom(k);
        if (enemyTimer[k] >= 19) {
          enemyStep[k] = 4;
          if (row.volleyOnTurns && IsAlive(k)) FireVolleyFrom(k);
        }
        break;
      default:
        AddTo(enemyY[k], -6);
        if (enemyY[k] + 40.0 * enemyScale[k] < -15) RemoveEnemy(k);
        break;
    }
  }
}

// ---- Bouncers: a pair that bounces seven times off the walls, then leaves: 102, 128 ---------------------
void RunBouncerScript() {
  for (int k = 0; k <= 1; ++k) {
    const double s = enemyScale[k];
    if (enemyStep[k] == 0) {
      AddTo(enemyY[k], 7);
      if (enemyY[k] < -25) continue;
      enemyStep[k] = 1;
    }
    enemyTimer[k] = int16_t(enemyTimer[k] + 1);
    const int modulo = 32 - 2 * hardMode + 3 * easyMode;
    if (enemyTimer[k] % modulo == 20 && IsAlive(k)) FireVolleyFrom(k);
    FlyStraight(k);
    if (enemyStep[k] < 8) {
      if (enemyX[k] < 0 || enemyX[k] + 40 * s > 330) {
        enemyParamA[k] = -enemyParamA[k];
        AddTo(enemyX[k], enemyParamA[k]);
        enemyStep[k] = uint8_t(enemyStep[k] + 1);
      }
      if (enemyY[k] < -18 || enemyY[k] + 40 * s > 440) {
        enemyParamB[k] = -enemyParamB[k];
        AddTo(enemyY[k], enemyParamB[k]);
        enemyStep[k] = uint8_t(enemyStep[k] + 1);
      }
    }
    if (enemyStep[k] >= 7 && OffField(k, 25, 350)) RemoveEnemy(k);
  }
}

// ---- Fast showers that fire once: 107, 134 --------------------------------------------------------------
void RunShowerScript() {
  for (int k = 0; k <= 25; ++k) {
    AddTo(enemyY[k], 23);
    if (enemyStep[k] == 0 && enemyY[k] > 5) {
      enemyStep[k] = 1;
      FireVolleyFrom(k);  // the shower fires whatever the enemy's state
    }
    if (enemyY[k] > 480) RemoveEnemy(k);
  }
}

// ---- Enraged when hurt: 112, 132 ---------------------------------------------------------------------------
namespace {
struct RageRow {
  float healthy;  // calm while enemyHp >= this
  Lin calmEvery;
  bool shotsFloorIsTwo;  // true: raised to 2 + hardMode when below 2
  Lin angryShots;        // otherwise raised to this when below it
};
// clang-format off
constexpr RageRow kRageRows[] = {
    /* 0: 112 */ { 9, {28, 0, 3}, true,  {2, 1, 0}},
    /* 1: 132 */ {10, {26, 0, 2}, false, {2, 2, 0}},
};
// clang-format on
}  // namespace

void RunRageScript() {
  const RageRow& row = kRageRows[scriptRow];
  for (int k = 0; k <= 12; ++k) {
    if (enemyHp[k] >= row.healthy) {
      AddTo(enemyY[k], 3);
      enemyTimer[k] = int16_t(enemyTimer[k] + 1);
      if (EveryN(enemyTimer[k], int(row.calmEvery.Eval())) && IsAlive(k)) FireVolleyFrom(k);
    } else {
      const int angry = int(row.angryShots.Eval());
      const int floorShots = row.shotsFloorIsTwo ? 2 : angry;
      if (enemyShots[k] < floorShots) enemyShots[k] = uint8_t(angry);
      AddTo(enemyY[k], 8);
      if (EveryN(enemyTimer[k], 6)) enemyStep[k] = enemyStep[k] == 0 ? 1 : 0;
      AddTo(enemyX[k], enemyStep[k] == 0 ? 14 : -14);
      CountTimer(k, 50);
      if (EveryN(enemyTimer[k], 40 + 2 * easyMode) && IsAlive(k)) FireVolleyFrom(k);
    }
    if (enemyY[k] > 480) RemoveEnemy(k);
  }
}
