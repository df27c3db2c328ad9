#include "data/map_file.h"

#include <cstring>
#include <vector>

#include "platform/files.h"

uint8_t mapData[kMapFileSize];

bool LoadMapFile(const std::string& path) {
  std::vector<uint8_t> bytes;
  int error = 0;
  if (!files::ReadWholeFile(path, kMapFileSize, &bytes, &error)) return false;
  std::memset(mapData, 0, sizeof mapData);
  if (!bytes.empty()) std::memcpy(mapData, bytes.data(), bytes.size());  // a short file leaves the rest zero
  return true;
}
