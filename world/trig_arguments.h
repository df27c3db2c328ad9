#pragma once
// Every argument the game passes to trig::Sin and trig::Cos, table by table,
// each computed exactly as its call site computes it. The timers are int16_t,
// so each table takes every value a timer can hold, not only the ones a
// script is known to reach. The tools that write the expected values and the
// kept-value list, and the tests that check them, read the tables from here;
// a new call site with a new kind of argument adds its table here.
#include <cstdint>

namespace trig {

enum class Function : uint8_t { kSin, kCos };

struct ArgumentTable {
  const char* name;  // one word, as in tests/trig_tables.txt
  Function function;
  int count;
  double (*argument)(int i);  // i = 0..count - 1
};

namespace arguments {

constexpr int kTimers = 65536;  // t = -32768..32767
inline int Timer(int i) { return i - 32768; }

// The enemy scripts' swaying and bobbing, the bosses' weave: 0.1 t, 0.07 t.
inline double Tenth(int i) { return 0.1 * Timer(i); }
inline double SevenHundredths(int i) { return 0.07 * Timer(i); }
// The bonus capsule circling: t * 0.05 + 1 / 1.45 (t = 0 at the ending).
inline double Capsule(int i) { return Timer(i) * 0.05 + 1.0 / 1.45; }
// Nine orbiters k = 1..9 around a leader: 0.1 t + k / 1.45.
inline double Orbit(int i) { return 0.1 * double(Timer(i / 9)) + (1 + i % 9) / 1.45; }
// The arc a formation is placed on: 0.2 k for its slots k.
inline double Arc(int i) { return 0.2 * i; }

}  // namespace arguments

// clang-format off
constexpr ArgumentTable kArgumentTables[] = {
    {"sin-tenth",    Function::kSin, arguments::kTimers,     arguments::Tenth},
    {"cos-tenth",    Function::kCos, arguments::kTimers,     arguments::Tenth},
    {"cos-7hundred", Function::kCos, arguments::kTimers,     arguments::SevenHundredths},
    {"sin-capsule",  Function::kSin, arguments::kTimers,     arguments::Capsule},
    {"cos-capsule",  Function::kCos, arguments::kTimers,     arguments::Capsule},
    {"sin-orbit",    Function::kSin, 9 * arguments::kTimers, arguments::Orbit},
    {"cos-orbit",    Function::kCos, 9 * arguments::kTimers, arguments::Orbit},
    {"sin-arc",      Function::kSin, 32,                     arguments::Arc},
    {"cos-arc",      Function::kCos, 32,                     arguments::Arc},
};
// clang-format on

}  // namespace trig
