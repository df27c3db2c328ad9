// A small deterministic synthesiser for the game's sound effects: each effect
// is a few layers (an oscillator or noise, with an envelope, a pitch sweep
// and a filter) described in a text file, rendered to 16-bit mono samples.
// The same description always gives the same samples.
//
// Description: '#' starts a comment; "effect NAME" starts an effect; the
// lines after it, up to the next "effect", are its settings and layers:
//   peak P                the effect is scaled so that its loudest sample is
//                         P of full scale (0 < P <= 1; default 0.7)
//   WAVE key value ...    a layer; WAVE is sine, square, triangle, saw or noise
// Layer keys (times in seconds, frequencies in Hz; "A>B" sweeps from A to B
// over the layer, exponentially):
//   length L   (required) how long the layer sounds
//   at T       when it starts (default 0)
//   pitch F    the oscillator's frequency; for noise, how often a new random
//              value is taken (default: every sample)
//   level X    its loudness against the other layers (default 1)
//   attack A   linear rise (default 0.002)
//   hold H     full level after the attack (default 0)
//   shape S    the fall to silence at the end is (1 - x)^S (default 2)
//   duty D     the square wave's high part, 0 < D < 1 (default 0.5)
//   vibrato R D  R times a second, D semitones deep
//   lowpass F  a resonant two-pole low-pass filter (F may sweep)
//   highpass F a two-pole high-pass filter (F may sweep)
//   seed N     the noise generator's seed (default 1)
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sfx {

constexpr int kSampleRate = 44100;

enum class Wave { Sine, Square, Triangle, Saw, Noise };

struct Sweep {
  double from = 0, to = 0;  // equal when it does not sweep
};

struct Layer {
  Wave wave = Wave::Sine;
  double at = 0, length = 0;
  Sweep pitch;
  double level = 1, attack = 0.002, hold = 0, shape = 2, duty = 0.5;
  double vibratoRate = 0, vibratoDepth = 0;
  Sweep lowpass, highpass;  // 0: no filter
  uint32_t seed = 1;
};

struct Effect {
  std::string name;
  double peak = 0.7;
  std::vector<Layer> layers;
};

// Reads a description. False with "LINE: reason" in `error` on a bad line.
bool ParseEffects(const std::string& text, std::vector<Effect>* effects, std::string* error);

// The effect's samples at kSampleRate, scaled to its peak.
std::vector<int16_t> Render(const Effect& effect);

// A WAV file (PCM, 16-bit, mono, kSampleRate) of the samples.
std::vector<uint8_t> WriteWav(const std::vector<int16_t>& samples);

}  // namespace sfx
