// The table check of tests/support/trig_table_check.h as a plain program, so
// that other compilers and other settings than this build's can be held to
// the same expected values: Emscripten under node, GCC and Clang unoptimised
// and optimised for this machine (tests/trig_tables_builds.sh).
//   trig_tables_check EXPECTED_FILE HASH_FILE
#include <cstdio>

#include "tests/support/trig_table_check.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: trig_tables_check EXPECTED_FILE HASH_FILE\n");
    return 2;
  }
  long checked = 0;
  const std::string problems = trig::CheckTrigTables(argv[1], argv[2], checked);
  if (!problems.empty()) {
    std::fprintf(stderr, "%s", problems.c_str());
    return 1;
  }
  std::printf("%ld sines and cosines are the expected bits\n", checked);
  return 0;
}
