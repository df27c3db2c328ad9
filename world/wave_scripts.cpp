// The chain of behaviour scripts, keyed by the wave counter. The first entry
// whose keys hold `wave` runs, and only that one. Waves with no entry (18, 19,
// 58, 59, 76..79, 98, 99, 116..119 and the numbers past the last formation)
// have no script: their enemies stay where they are.
#include "world/wave_scripts.h"

#include "enemies/final_boss.h"
#include "world/wave_scripts_kit.h"

namespace {

struct ChainEntry {
  uint8_t keys[7];  // unused keys are 0 (wave 0 never has a script)
  void (*script)();
  uint8_t row;       // first row of the family's table
  uint8_t rowCount;  // rows (groups of slots) the wave uses
};

void RunLastBossScript() {
  if (enemyState[0] == kEnemyAlive) RunFinalBoss();
}

// clang-format off
constexpr ChainEntry kChain[] = {
    {{1, 40},               RunColumnScript,     0, 1},
    {{2, 3, 4, 28, 29, 30}, RunStopAndGoScript,  0, 1},
    {{5, 74},               RunStreamScript,     0, 1},
    {{6, 16, 45},           RunStreamScript,     1, 1},
    {{7, 14, 26},           RunStopAndGoScript,  1, 1},
    {{8},                   RunDropScript,       0, 1},
    {{9, 17},               RunSwayScript,       0, 1},
    {{10},                  RunMarchScript,      0, 1},
    {{11},                  RunBobScript,        0, 1},
    {{12},                  RunPairScript,       0, 1},
    {{13},                  RunBobScript,        1, 1},
    {{15},                  RunWiggleScript,     0, 1},
    {{20, 35},              RunPingPongScript,   0, 1},
    {{21, 39},              RunSwayScript,       1, 1},
    {{22, 38},              RunPauseDiveScript,  0, 1},
    {{23},                  RunStreamScript,     2, 2},
    {{24},                  RunShadowScript,     0, 1},
    {{25, 69},              RunCrossBobScript,   0, 1},
    {{27},                  RunSwoopScript,      0, 1},
    {{31, 32},              RunLeaderScript,     0, 1},
    {{33},                  RunHomingScript,     0, 1},
    {{34},                  RunOrbitScript,      0, 1},
    {{36},                  RunLeaderScript,     1, 1},
    {{37},                  RunSwoopScript,      1, 1},
    {{41, 75},              RunDriftScript,      0, 1},
    {{42, 56},              RunRingScript,       0, 1},
    {{43},                  RunStopAndGoScript,  1, 1},
    {{44},                  RunSwoopScript,      2, 1},
    {{46},                  RunLeaderScript,     2, 2},
    {{47},                  RunTrackerScript,    0, 1},
    {{48},                  RunSentryScript,     0, 1},
    {{49, 55, 57, 70, 97},  RunDropScript,       1, 1},
    {{50},                  RunStopAndGoScript,  2, 1},
    {{51, 68, 113, 130},    RunBrakeScript,      0, 1},
    {{52},                  RunTrackerScript,    1, 1},
    {{53},                  RunRiserScript,      0, 1},
    {{54},                  RunPairScript,       1, 1},
    {{60},                  RunPingPongScript,   1, 1},
    {{61},                  RunRingScript,       1, 1},
    {{62},                  RunZigzagScript,     0, 1},
    {{63},                  RunTrackerScript,    2, 1},
    {{64},                  RunHunterScript,     0, 1},
    {{65},                  RunRiserScript,      1, 1},
    {{66},                  RunHomingScript,     1, 1},
    {{67},                  RunGlideScript,      0, 1},
    {{71},                  RunOrbitScript,      1, 1},
    {{72},                  RunLeaderScript,     4, 2},
    {{73},                  RunGlideScript,      1, 1},
    {{80, 96, 114},         RunSentryScript,     1, 1},
    {{81},                  RunSwoopScript,      3, 1},
    {{82},                  RunGlideScript,      2, 1},
    {{83, 111, 133},        RunLeaderScript,     6, 2},
    {{84},                  RunPlungeScript,     0, 1},
    {{85},                  RunZigzagScript,     1, 1},
    {{86},                  RunStopAndGoScript,  3, 1},
    {{87, 105, 122},        RunPairScript,       2, 1},
    {{88, 104},             RunGlideScript,      3, 2},
    {{89},                  RunStreamScript,     4, 2},
    {{90},                  RunStopAndGoScript,  4, 1},
    {{91},                  RunRingScript,       2, 1},
    {{92},                  RunPingPongScript,   2, 1},
    {{93},                  RunSweepScript,      0, 1},
    {{94},                  RunTrackerScript,    3, 1},
    {{95, 101, 115, 135},   RunDriftScript,      1, 1},
    {{100},                 RunColumnScript,     1, 1},
    {{102, 128},            RunBouncerScript,    0, 1},
    {{103},                 RunSwoopScript,      4, 1},
    {{106},                 RunStopAndGoScript,  5, 1},
    {{107, 134},            RunShowerScript,     0, 1},
    {{108},                 RunRiserScript,      2, 1},
    {{109},                 RunTrackerScript,    4, 1},
    {{110},                 RunGlideScript,      7, 1},
    {{112},                 RunRageScript,       0, 1},
    {{120},                 RunSentryScript,     2, 1},
    {{121},                 RunSweepScript,      1, 1},
    {{123},                 RunSwoopScript,      5, 1},
    {{124},                 RunRingScript,       3, 1},
    {{125},                 RunPlungeScript,     1, 1},
    {{126},                 RunTrackerScript,    5, 1},
    {{127},                 RunGlideScript,      5, 2},
    {{129},                 RunStopAndGoScript,  6, 2},
    {{131},                 RunPingPongScript,   3, 1},
    {{132},                 RunRageScript,       1, 1},
    {{150, 151, 152, 153, 154, 155, 156}, RunBossScript,       0, 1},
    {{157},                 RunLastBossScript,   0, 1},
};
// clang-format on
// 83 key groups of stage waves, the bosses of stages 1..7 and the last boss.
static_assert(sizeof(kChain) / sizeof(kChain[0]) == 85, "every key group of the chain");

}  // namespace

void RunWaveBehaviour() {
  if (wave == 0) return;
  for (const ChainEntry& entry : kChain) {
    for (uint8_t key : entry.keys) {
      if (key != wave) continue;
      scriptRow = entry.row;
      scriptRowCount = entry.rowCount;
      entry.script();
      return;
    }
  }
}
