// A standard MIDI file read through once, before it is played: is it whole,
// and which instruments (bank, program) does it ask for?
#pragma once

#include <cstddef>
#include <cstdint>

namespace sdlback {

constexpr int kMaxTunePresets = 64;

struct TunePresets {
  int count = 0;
  // Channels (bit 0 = channel 1) that sound a note before any program change
  // on them: they play the default instrument (the piano, the standard drum
  // kit on channel 10), which is then among the presets.
  uint16_t defaultChannels = 0;
  uint16_t bank[kMaxTunePresets] = {};  // 128: a drum kit (channel 10)
  uint8_t program[kMaxTunePresets] = {};
};

// True when `bytes` is a well-formed standard MIDI file (header, then tracks
// whose events all end inside them). Each instrument a program change selects
// is added once to `presets` (from the bank of the channel's last bank select,
// 128 on channel 10), up to kMaxTunePresets; so is the default instrument of
// each channel that sounds a note before its first program change.
bool ScanMidiFile(const uint8_t* bytes, size_t size, TunePresets* presets);

// True when (bank, program) is among `presets`.
bool HasTunePreset(const TunePresets& presets, int bank, int program);

// Adds (bank, program) to `presets` unless it is there or the table is full.
void AddTunePreset(TunePresets* presets, int bank, int program);

}  // namespace sdlback
