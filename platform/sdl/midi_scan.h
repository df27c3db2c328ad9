// A standard MIDI file read through once, before it is played: is it whole,
// and which instruments (bank, program) does it ask for?
#pragma once

#include <cstddef>
#include <cstdint>

namespace sdlback {

constexpr int kMaxTunePresets = 64;

struct TunePresets {
  int count = 0;
  uint16_t bank[kMaxTunePresets] = {};  // 128: a drum kit (channel 10)
  uint8_t program[kMaxTunePresets] = {};
};

// True when `bytes` is a well-formed standard MIDI file (header, then tracks
// whose events all end inside them). Each instrument a program change selects
// is added once to `presets` (from the bank of the channel's last bank select,
// 128 on channel 10), up to kMaxTunePresets.
bool ScanMidiFile(const uint8_t* bytes, size_t size, TunePresets* presets);

// Adds (bank, program) to `presets` unless it is there or the table is full.
void AddTunePreset(TunePresets* presets, int bank, int program);

}  // namespace sdlback
