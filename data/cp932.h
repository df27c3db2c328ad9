// Names between the UTF-8 the game keeps in memory and the CP932 (Japanese
// Shift-JIS) bytes of the score file, through iconv.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The score file's 16-bit byte count: the longest name it can hold.
constexpr size_t kMaxNameBytes = 65535;

// Byte sequences that are not CP932, and characters that CP932 cannot hold,
// become "?". A name longer than kMaxNameBytes in CP932 is cut at a character
// boundary. Without an iconv converter only ASCII passes, the rest is "?".
std::string NameFromCp932(const uint8_t* bytes, size_t count);
std::string NameToCp932(const std::string& utf8);
