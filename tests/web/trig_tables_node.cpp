// The table check of tests/support/trig_table_check.h as a program, built with
// Emscripten and run under node (tests/web/trig_tables_node.sh): the
// WebAssembly build's sines and cosines against the same expected values.
//   trig_tables_node EXPECTED_FILE HASH_FILE
#include <cstdio>

#include "tests/support/trig_table_check.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: trig_tables_node EXPECTED_FILE HASH_FILE\n");
    return 2;
  }
  long checked = 0;
  const std::string problems = trig::CheckTrigTables(argv[1], argv[2], checked);
  if (!problems.empty()) {
    std::fprintf(stderr, "%s", problems.c_str());
    return 1;
  }
  std::printf("WebAssembly: %ld sines and cosines are the expected bits\n", checked);
  return 0;
}
