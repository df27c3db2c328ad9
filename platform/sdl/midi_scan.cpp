// A standard MIDI file read through once: well-formed, and which instruments.
#include "platform/sdl/midi_scan.h"

namespace sdlback {

namespace {

uint32_t ReadBig32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

bool Is(const uint8_t* p, const char* id) { return p[0] == id[0] && p[1] == id[1] && p[2] == id[2] && p[3] == id[3]; }

// A variable-length quantity (at most four bytes) at *at, before `end`.
bool ReadVarLen(const uint8_t*& at, const uint8_t* end, uint32_t* value) {
  *value = 0;
  for (int i = 0; i < 4; ++i) {
    if (at >= end) return false;
    const uint8_t byte = *at++;
    *value = *value << 7 | (byte & 0x7F);
    if (!(byte & 0x80)) return true;
  }
  return false;
}

bool ScanTrack(const uint8_t* at, const uint8_t* end, TunePresets* presets) {
  uint8_t running = 0;
  uint8_t bankOf[16] = {};
  while (at < end) {
    uint32_t delta = 0, length = 0;
    if (!ReadVarLen(at, end, &delta) || at >= end) return false;
    uint8_t status = *at;
    if (status >= 0x80) {
      ++at;
    } else if (running) {
      status = running;  // running status: the byte is the first data byte
    } else {
      return false;
    }
    if (status == 0xFF) {  // meta event: type, length, data
      if (at >= end) return false;
      ++at;
      if (!ReadVarLen(at, end, &length) || length > size_t(end - at)) return false;
      at += length;
      running = 0;
      continue;
    }
    if (status == 0xF0 || status == 0xF7) {  // system exclusive
      if (!ReadVarLen(at, end, &length) || length > size_t(end - at)) return false;
      at += length;
      running = 0;
      continue;
    }
    if (status >= 0xF0) return false;  // no other system message belongs in a file
    running = status;
    const int kind = status & 0xF0, channel = status & 0x0F;
    const int dataBytes = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
    if (end - at < dataBytes) return false;
    for (int i = 0; i < dataBytes; ++i)
      if (at[i] & 0x80) return false;
    if (kind == 0xB0 && at[0] == 0) bankOf[channel] = at[1];
    if (kind == 0xC0) AddTunePreset(presets, channel == 9 ? 128 : bankOf[channel], at[0]);
    at += dataBytes;
  }
  return true;
}

}  // namespace

void AddTunePreset(TunePresets* presets, int bank, int program) {
  for (int i = 0; i < presets->count; ++i)
    if (presets->bank[i] == bank && presets->program[i] == program) return;
  if (presets->count == kMaxTunePresets) return;
  presets->bank[presets->count] = uint16_t(bank);
  presets->program[presets->count] = uint8_t(program);
  ++presets->count;
}

bool ScanMidiFile(const uint8_t* bytes, size_t size, TunePresets* presets) {
  if (size < 14 || !Is(bytes, "MThd")) return false;
  const uint32_t headerLength = ReadBig32(bytes + 4);
  if (headerLength < 6 || headerLength > size - 8) return false;
  const int tracks = bytes[10] << 8 | bytes[11];
  const uint8_t* at = bytes + 8 + headerLength;
  const uint8_t* end = bytes + size;
  int found = 0;
  while (end - at >= 8) {
    const uint32_t length = ReadBig32(at + 4);
    if (length > size_t(end - at) - 8) return false;
    if (Is(at, "MTrk")) {
      if (!ScanTrack(at + 8, at + 8 + length, presets)) return false;
      ++found;
    }
    at += 8 + length;
  }
  return tracks > 0 && found == tracks;
}

}  // namespace sdlback
