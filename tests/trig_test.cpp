// The game's sine and cosine (world/trig.h): the listed bits for every
// argument the game passes, glibc's values kept where the game always had
// them, and correct rounding for the rest.
#include "world/trig.h"

#include <mpfr.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "tests/support/trig_table_check.h"
#include "tools/trig_tables/mpfr_reference.h"
#include "world/trig_arguments.h"

namespace {

using trig::Function;

const std::string kExpectedFile = TRIG_EXPECTED;
const std::string kHashFile = std::string(TESSIVANE_SOURCE_DIR) + "/tests/trig_tables.txt";

uint64_t Bits(double v) {
  uint64_t b;
  std::memcpy(&b, &v, sizeof b);
  return b;
}

double Game(Function f, double x) { return f == Function::kSin ? trig::Sin(x) : trig::Cos(x); }

std::string Describe(const char* what, double x, double got, double want) {
  char text[200];
  std::snprintf(text, sizeof text, "%s %a: %a, not %a", what, x, got, want);
  return text;
}

TEST(Trig, EveryArgumentOfTheGameGivesTheListedBits) {
  long checked = 0;
  EXPECT_EQ(trig::CheckTrigTables(kExpectedFile, kHashFile, checked), "");
  long arguments = 0;
  for (const trig::ArgumentTable& table : trig::kArgumentTables) arguments += table.count;
  EXPECT_EQ(checked, arguments);
}

TEST(Trig, TheCheckNamesTheFirstDifferingArgument) {
  std::ifstream in(kExpectedFile, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_FALSE(bytes.empty());
  long offset = 0;  // value 100 of cos-7hundred, one unit in the last place off
  double x = 0;
  for (const trig::ArgumentTable& table : trig::kArgumentTables) {
    if (std::string(table.name) == "cos-7hundred") {
      x = table.argument(100);
      break;
    }
    offset += table.count;
  }
  bytes[size_t(offset + 100) * 8] ^= 1;
  const std::string changed = testing::TempDir() + "trig_expected_changed.bin";
  std::ofstream(changed, std::ios::binary) << bytes;
  long checked = 0;
  const std::string problems = trig::CheckTrigTables(changed, kHashFile, checked);
  EXPECT_NE(problems.find("cos-7hundred: the expected values"), std::string::npos) << problems;
  char named[100];
  std::snprintf(named, sizeof named, "cos-7hundred: first difference at index 100, argument %a ", x);
  EXPECT_NE(problems.find(named), std::string::npos) << problems;
  std::remove(changed.c_str());

  EXPECT_NE(trig::CheckTrigTables(changed, kHashFile, checked).find("cannot read"), std::string::npos);
}

#if defined(__GLIBC__) && defined(__x86_64__)
// What keeps the golden runs and every recorded game as they were: on the
// platform the game was made on, its values are the system's, bit for bit.
TEST(Trig, TheGameKeepsTheValuesItHadWithGlibc) {
  for (const trig::ArgumentTable& table : trig::kArgumentTables) {
    for (int i = 0; i < table.count; ++i) {
      const double x = table.argument(i);
      const double system = table.function == Function::kSin ? std::sin(x) : std::cos(x);
      const double game = Game(table.function, x);
      if (Bits(game) != Bits(system)) {
        ADD_FAILURE() << table.name << ": " << Describe("argument", x, game, system);
        break;
      }
    }
  }
}
#endif

// world/trig_exceptions.inc: each kept value is one step from the correctly
// rounded one (a stale entry would not be), sorted, and for an argument the
// game passes to that function.
TEST(Trig, KeptValuesAreOneStepFromTheCorrectlyRoundedOnes) {
  struct Kept {
    Function function;
    double x, value;
  };
  const Kept kept[] = {
#define TRIG_SIN(x, value) {Function::kSin, x, value},
#define TRIG_COS(x, value) {Function::kCos, x, value},
#include "world/trig_exceptions.inc"
#undef TRIG_SIN
#undef TRIG_COS
  };
  std::set<std::pair<int, uint64_t>> arguments;
  for (const trig::ArgumentTable& table : trig::kArgumentTables)
    for (int i = 0; i < table.count; ++i) arguments.insert({int(table.function), Bits(table.argument(i))});

  const Kept* previous = nullptr;
  for (const Kept& k : kept) {
    const double rounded = CorrectlyRounded(k.function, k.x);
    const int64_t step = int64_t(Bits(k.value)) - int64_t(Bits(rounded));
    EXPECT_TRUE(step == 1 || step == -1) << Describe("kept", k.x, k.value, rounded);
    EXPECT_EQ(Bits(Game(k.function, k.x)), Bits(k.value)) << Describe("kept", k.x, Game(k.function, k.x), k.value);
    EXPECT_TRUE(arguments.count({int(k.function), Bits(k.x)}))
        << Describe("not a game argument", k.x, k.value, k.value);
    if (previous && previous->function == k.function) {
      EXPECT_LT(previous->x, k.x) << "unsorted at " << k.x;
    }
    previous = &k;
  }
}

TEST(Trig, OtherArgumentsAreCorrectlyRounded) {
  uint64_t state = 88172645463325252u;  // xorshift64: the same arguments every run
  for (int i = 0; i < 100000; ++i) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    const double unit = double(state >> 11) * 0x1p-53;
    // Mostly the game's span, some tiny angles, some far ones.
    const double x = i % 10 == 0   ? (unit - 0.5) * 0x1p-20
                     : i % 10 == 1 ? (unit - 0.5) * 0x1p24
                                   : (unit - 0.5) * 8000;
    for (Function f : {Function::kSin, Function::kCos}) {
      const double want = CorrectlyRounded(f, x);
      ASSERT_EQ(Bits(Game(f, x)), Bits(want))
          << Describe(f == Function::kSin ? "sin" : "cos", x, Game(f, x), want);
    }
  }
}

TEST(Trig, SpecialArguments) {
  EXPECT_EQ(Bits(trig::Sin(0.0)), Bits(0.0));
  EXPECT_EQ(Bits(trig::Sin(-0.0)), Bits(-0.0));
  EXPECT_EQ(trig::Cos(-0.0), 1.0);
  EXPECT_EQ(trig::Sin(0x1p-1074), 0x1p-1074);
  EXPECT_EQ(trig::Cos(0x1p-1074), 1.0);
  for (double x : {HUGE_VAL, -HUGE_VAL, std::nan("")}) {
    EXPECT_TRUE(std::isnan(trig::Sin(x))) << x;
    EXPECT_TRUE(std::isnan(trig::Cos(x))) << x;
  }
  // Far beyond the game: the same on every build, and still a sine.
  for (double x : {0x1p40, -0x1.8p60, 0x1.fffffffffffffp+1023}) {
    EXPECT_LE(std::fabs(trig::Sin(x)), 1.0) << x;
    EXPECT_LE(std::fabs(trig::Cos(x)), 1.0) << x;
  }
}

}  // namespace
