#pragma once
// The check that trig::Sin and trig::Cos give, in this build, the very bits
// every other build gives: for each table of world/trig_arguments.h, the
// expected values (written by gen-trig-tables with MPFR, the kept values
// applied) must hash to the line of tests/trig_tables.txt, and the game's
// function must give each of them. Shared by the native test and the
// WebAssembly one (tests/web/trig_tables_node.cpp), so it needs no GoogleTest.
#include <cstdint>
#include <string>
#include <vector>

namespace trig {

// FNV-1a over the values' bits, each as 8 little-endian bytes.
inline uint64_t HashBits(const std::vector<uint64_t>& bits) {
  uint64_t h = 0xcbf29ce484222325u;
  for (uint64_t v : bits) {
    for (int b = 0; b < 8; ++b) {
      h ^= (v >> (8 * b)) & 0xff;
      h *= 0x100000001b3u;
    }
  }
  return h;
}

// What is wrong, one line per table at fault (the first differing argument
// named), or "" when every table matches. `checked` counts the arguments.
std::string CheckTrigTables(const std::string& expectedFile, const std::string& hashFile, long& checked);

}  // namespace trig
