// gen-trig-tables: the expected values of the game's sine and cosine, from
// MPFR (correctly rounded), for every argument of world/trig_arguments.h.
//   gen-trig-tables expected FILE   every table's values with the kept values
//                                   of world/trig_exceptions.inc applied, as
//                                   8-byte little-endian bits, table after table
//   gen-trig-tables hashes          "name count hash" of those, the lines of
//                                   tests/trig_tables.txt
//   gen-trig-tables kept FILE       the kept-value list: every argument where
//                                   this machine's libm is not correctly
//                                   rounded, with its value (run on glibc
//                                   x86-64 only, and only to rebuild the list)
#include <mpfr.h>

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "tests/support/trig_table_check.h"
#include "tools/trig_tables/mpfr_reference.h"
#include "world/trig_arguments.h"

namespace {

using trig::Function;

struct Kept {
  Function function;
  double x, value;
};
constexpr Kept kKept[] = {
#define TRIG_SIN(x, value) {Function::kSin, x, value},
#define TRIG_COS(x, value) {Function::kCos, x, value},
#include "world/trig_exceptions.inc"
#undef TRIG_SIN
#undef TRIG_COS
};

uint64_t Bits(double v) {
  uint64_t b;
  std::memcpy(&b, &v, sizeof b);
  return b;
}

std::vector<uint64_t> Expected(const trig::ArgumentTable& table) {
  std::map<std::pair<int, uint64_t>, double> kept;
  for (const Kept& k : kKept) kept[{int(k.function), Bits(k.x)}] = k.value;
  std::vector<uint64_t> values;
  values.reserve(size_t(table.count));
  for (int i = 0; i < table.count; ++i) {
    const double x = table.argument(i);
    const auto it = kept.find({int(table.function), Bits(x)});
    values.push_back(Bits(it != kept.end() ? it->second : CorrectlyRounded(table.function, x)));
  }
  return values;
}

int WriteExpected(const char* path) {
  const std::string temporary = std::string(path) + ".part";
  std::FILE* out = std::fopen(temporary.c_str(), "wb");
  if (!out) return std::perror(temporary.c_str()), 1;
  for (const trig::ArgumentTable& table : trig::kArgumentTables) {
    for (uint64_t v : Expected(table)) {
      uint8_t bytes[8];
      for (int b = 0; b < 8; ++b) bytes[b] = uint8_t(v >> (8 * b));
      std::fwrite(bytes, 1, 8, out);
    }
  }
  if (std::fclose(out) != 0 || std::rename(temporary.c_str(), path) != 0) return std::perror(path), 1;
  return 0;
}

int PrintHashes() {
  for (const trig::ArgumentTable& table : trig::kArgumentTables)
    std::printf("%s %d %016" PRIx64 "\n", table.name, table.count, trig::HashBits(Expected(table)));
  return 0;
}

int WriteKept(const char* path) {
  std::map<double, double> sin, cos;  // sorted by argument, each argument once
  for (const trig::ArgumentTable& table : trig::kArgumentTables) {
    for (int i = 0; i < table.count; ++i) {
      const double x = table.argument(i);
      const bool isSin = table.function == Function::kSin;
      const double system = isSin ? std::sin(x) : std::cos(x);
      if (Bits(system) != Bits(CorrectlyRounded(table.function, x))) (isSin ? sin : cos)[x] = system;
    }
  }
  std::FILE* out = std::fopen(path, "w");
  if (!out) return std::perror(path), 1;
  std::fprintf(out,
               "// The arguments where the game keeps glibc's sine or cosine, one unit in the\n"
               "// last place from the correctly rounded value: TRIG_SIN(x, value), TRIG_COS(x, value),\n"
               "// each list sorted by x. Written by `gen-trig-tables kept`; see world/trig.h.\n");
  for (const auto& [x, v] : sin) std::fprintf(out, "TRIG_SIN(%a, %a)\n", x, v);
  for (const auto& [x, v] : cos) std::fprintf(out, "TRIG_COS(%a, %a)\n", x, v);
  return std::fclose(out) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "expected" && argc == 3) return WriteExpected(argv[2]);
  if (mode == "hashes" && argc == 2) return PrintHashes();
  if (mode == "kept" && argc == 3) return WriteKept(argv[2]);
  std::fprintf(stderr, "usage: gen-trig-tables expected FILE | hashes | kept FILE\n");
  return 2;
}
