// A standard MIDI file read through once: well-formed, and which instruments.
#include "platform/sdl/midi_scan.h"

#include <cstdint>

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

// The moment of an event as a player meets it: by tick, then (in the same
// tick) track by track, then in the track's order.
struct Moment {
  uint64_t tick = UINT64_MAX;
  int track = 0;
  long event = 0;
  bool operator<(const Moment& o) const {
    if (tick != o.tick) return tick < o.tick;
    if (track != o.track) return track < o.track;
    return event < o.event;
  }
};

// When each channel first sounds a note and first changes program.
struct FirstMoments {
  Moment note[16], program[16];
};

bool ScanTrack(const uint8_t* at, const uint8_t* end, int track, TunePresets* presets, FirstMoments* first) {
  uint8_t running = 0;
  uint8_t bankOf[16] = {};
  Moment now;
  now.tick = 0;
  now.track = track;
  while (at < end) {
    uint32_t delta = 0, length = 0;
    if (!ReadVarLen(at, end, &delta) || at >= end) return false;
    now.tick += delta;
    ++now.event;
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
    if (kind == 0xC0) {
      AddTunePreset(presets, channel == 9 ? 128 : bankOf[channel], at[0]);
      if (now < first->program[channel]) first->program[channel] = now;
    }
    if (kind == 0x90 && at[1] > 0 && now < first->note[channel]) first->note[channel] = now;
    at += dataBytes;
  }
  return true;
}

}  // namespace

bool HasTunePreset(const TunePresets& presets, int bank, int program) {
  for (int i = 0; i < presets.count; ++i)
    if (presets.bank[i] == bank && presets.program[i] == program) return true;
  return false;
}

void AddTunePreset(TunePresets* presets, int bank, int program) {
  if (HasTunePreset(*presets, bank, program) || presets->count == kMaxTunePresets) return;
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
  FirstMoments first;
  while (end - at >= 8) {
    const uint32_t length = ReadBig32(at + 4);
    if (length > size_t(end - at) - 8) return false;
    if (Is(at, "MTrk")) {
      if (!ScanTrack(at + 8, at + 8 + length, found, presets, &first)) return false;
      ++found;
    }
    at += 8 + length;
  }
  for (int ch = 0; ch < 16; ++ch) {
    if (first.note[ch].tick == UINT64_MAX || first.program[ch] < first.note[ch]) continue;
    presets->defaultChannels |= uint16_t(1u << ch);
    AddTunePreset(presets, ch == 9 ? 128 : 0, 0);
  }
  return tracks > 0 && found == tracks;
}

}  // namespace sdlback
