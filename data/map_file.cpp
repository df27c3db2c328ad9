#include "data/map_file.h"

#include <cstdio>
#include <cstring>

uint8_t mapData[kMapFileSize];

bool LoadMapFile(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  std::memset(mapData, 0, sizeof mapData);
  const size_t got = std::fread(mapData, 1, sizeof mapData, f);
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  (void)got;  // a short file leaves the rest of the map zero
  return !failed;
}
