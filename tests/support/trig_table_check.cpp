#include "tests/support/trig_table_check.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

#include "world/trig.h"
#include "world/trig_arguments.h"

namespace trig {
namespace {

uint64_t Bits(double v) {
  uint64_t b;
  std::memcpy(&b, &v, sizeof b);
  return b;
}

double FromBits(uint64_t b) {
  double v;
  std::memcpy(&v, &b, sizeof v);
  return v;
}

struct HashLine {
  long count;
  uint64_t hash;
};

// tests/trig_tables.txt: "name count hash" lines, '#' comments.
std::map<std::string, HashLine> ReadHashes(const std::string& path, std::string& problems) {
  std::map<std::string, HashLine> lines;
  std::ifstream in(path);
  if (!in) problems += "cannot read " + path + "\n";
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string name, hash;
    long count = -1;
    fields >> name >> count >> hash;
    lines[name] = {count, std::strtoull(hash.c_str(), nullptr, 16)};
  }
  return lines;
}

}  // namespace

std::string CheckTrigTables(const std::string& expectedFile, const std::string& hashFile, long& checked) {
  std::string problems;
  checked = 0;
  const std::map<std::string, HashLine> hashes = ReadHashes(hashFile, problems);
  std::FILE* in = std::fopen(expectedFile.c_str(), "rb");
  if (!in) return problems + "cannot read " + expectedFile + "\n";
  char text[400];
  for (const ArgumentTable& table : kArgumentTables) {
    std::vector<uint64_t> expected(size_t(table.count));
    uint8_t bytes[8];
    for (uint64_t& e : expected) {
      if (std::fread(bytes, 1, 8, in) != 8) {
        std::fclose(in);
        return problems + expectedFile + " ends inside table " + table.name + "\n";
      }
      e = 0;
      for (int b = 7; b >= 0; --b) e = e << 8 | bytes[b];
    }
    const auto line = hashes.find(table.name);
    const uint64_t hash = HashBits(expected);
    if (line == hashes.end() || line->second.count != table.count || line->second.hash != hash) {
      std::snprintf(text, sizeof text, "%s: the expected values (%d, hash %016" PRIx64 ") are not the listed ones\n",
                    table.name, table.count, hash);
      problems += text;
    }
    for (int i = 0; i < table.count; ++i) {
      const double x = table.argument(i);
      const double got = table.function == Function::kSin ? Sin(x) : Cos(x);
      ++checked;
      if (Bits(got) == expected[size_t(i)]) continue;
      std::snprintf(text, sizeof text, "%s: first difference at index %d, argument %a (%.17g): got %a, expected %a\n",
                    table.name, i, x, x, got, FromBits(expected[size_t(i)]));
      problems += text;
      break;
    }
  }
  uint8_t extra;
  if (std::fread(&extra, 1, 1, in) == 1) problems += expectedFile + " holds more values than the tables\n";
  std::fclose(in);
  return problems;
}

}  // namespace trig
