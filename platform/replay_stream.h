// The stream of a replay: what the game read from the machine, one event per
// reading. Written and played by platform/machine.cpp; read here on its own
// (no machine needed) to check a stream before it is played.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The stream's events: a tag byte, then the answer. Numbers are unsigned
// LEB128 (7 bits a byte, low bits first); flags are one byte, 0 or 1.
//   'C' clock      delta from the previous clock reading (mod 2^32)
//   'I' idle       ms
//   'S' seed       value
//   'K' key down   vk, flag         'Q' key query   vk, flag
//   'J' joysticks  count            'R' joystick    id, flag, x, y, buttons
//   'P' joy caps   id, flag, xMin, xMax, yMin, yMax, buttonCount
//   'W' window     event (0 none, 1 close requested)
//   'A' inactive   flag             'T' tune stopped   flag
//   'Y' question   flag (yes)       'N' name dialog    flag (ok), length, bytes
//   'V' screen saver enabled flag   'L' single copy    flag
//   'F' state file error, length, bytes
//   'U' value      value
//   'O' rare value id, value (only when the value is not 0)
//   'X' the window's close button clicked while a dialog was open (no answer)
//   'D' the game's state digest: second of game time, then 8 bytes (64 bits,
//       little-endian); not a reading but a check (streams of format 2 on)
//   'G' the game's state at its start: the machine's clock then, then the
//       state's length and bytes (the game's own encoding; streams of format
//       3 on, right after the start-up's events)

constexpr uint32_t kMaxStreamNameBytes = 4096;
constexpr uint32_t kMaxStreamFileBytes = 1 << 20;
constexpr uint32_t kMaxStreamStateBytes = 1 << 20;

// Reads the numbers, flags and byte strings of a stream; `ok` turns false
// at the first that is cut short or out of range.
struct StreamReader {
  const uint8_t* data;
  size_t size;
  size_t at;
  bool ok = true;

  uint8_t Byte() {
    if (at >= size) {
      ok = false;
      return 0;
    }
    return data[at++];
  }
  uint32_t Number() {
    uint32_t v = 0;
    for (int shift = 0; shift < 35; shift += 7) {
      const uint8_t b = Byte();
      if (!ok) return 0;
      if (shift == 28 && b > 0x0F) break;  // more than 32 bits
      v |= uint32_t(b & 0x7F) << shift;
      if ((b & 0x80) == 0) return v;
    }
    ok = false;
    return 0;
  }
  bool Flag() {
    const uint8_t b = Byte();
    if (b > 1) ok = false;
    return b == 1;
  }
  std::string Bytes(uint32_t limit) {
    const uint32_t n = Number();
    if (!ok || n > limit || n > size - at) {
      ok = false;
      return std::string();
    }
    std::string s(reinterpret_cast<const char*>(data + at), n);
    at += n;
    return s;
  }
};

// Numbers and byte strings as the stream writes them, appended to `out`
// (for a reading whose answer is a composed file, such as a folder's listing).
inline void AppendStreamNumber(std::string& out, uint32_t v) {
  while (v >= 0x80) {
    out += char(uint8_t(v | 0x80));
    v >>= 7;
  }
  out += char(uint8_t(v));
}
inline void AppendStreamBytes(std::string& out, const std::string& bytes) {
  AppendStreamNumber(out, uint32_t(bytes.size()));
  out += bytes;
}

// Walks a raw stream and checks that it is well formed, reporting the
// dialogs' answers in order. False with `error` set on a malformed stream.
bool ScanStream(const uint8_t* stream, size_t size, void (*onAnswer)(bool yes),
                void (*onName)(bool ok, const std::string& name), std::string* error);
