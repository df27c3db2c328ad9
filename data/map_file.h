// The background tile map of all stages ("Qapo.map").
#pragma once

#include <cstdint>
#include <string>

constexpr int kMapStages = 9;
constexpr int kMapByteColumns = 18;
constexpr int kMapRows = 81;
constexpr int kMapFileSize = kMapStages * kMapByteColumns * kMapRows;  // 13122

// The byte for (stage s, byte column c, row r) is at s + 9 * (c + 18 * r).
extern uint8_t mapData[kMapFileSize];
inline uint8_t MapByte(int s, int c, int r) { return mapData[s + kMapStages * (c + kMapByteColumns * r)]; }

// Reads up to 13122 bytes of the file into mapData (the rest zero).
// False when the file does not exist or cannot be read.
bool LoadMapFile(const std::string& path);
