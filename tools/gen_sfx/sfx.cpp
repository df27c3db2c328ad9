#include "sfx.h"

#include <cmath>
#include <cstdlib>
#include <sstream>

namespace sfx {

namespace {

constexpr double kPi = 3.14159265358979323846;

bool ParseNumber(const std::string& s, double* value) {
  if (s.empty()) return false;
  char* end = nullptr;
  *value = std::strtod(s.c_str(), &end);
  return end == s.c_str() + s.size() && std::isfinite(*value);
}

bool ParseSweep(const std::string& s, Sweep* sweep) {
  const size_t arrow = s.find('>');
  if (arrow == std::string::npos) {
    if (!ParseNumber(s, &sweep->from)) return false;
    sweep->to = sweep->from;
  } else if (!ParseNumber(s.substr(0, arrow), &sweep->from) || !ParseNumber(s.substr(arrow + 1), &sweep->to)) {
    return false;
  }
  return sweep->from > 0 && sweep->to > 0;
}

bool ParseWave(const std::string& s, Wave* wave) {
  static const struct {
    const char* name;
    Wave wave;
  } kWaves[] = {
      {"sine", Wave::Sine}, {"square", Wave::Square}, {"triangle", Wave::Triangle},
      {"saw", Wave::Saw},   {"noise", Wave::Noise},
  };
  for (const auto& w : kWaves)
    if (s == w.name) {
      *wave = w.wave;
      return true;
    }
  return false;
}

// One layer line after its wave name; the reason of a refusal in `why`.
bool ParseLayer(std::istringstream& words, Layer* layer, std::string* why) {
  std::string key, value;
  bool hasLength = false;
  while (words >> key) {
    if (!(words >> value)) {
      *why = "'" + key + "' needs a value";
      return false;
    }
    double number = 0;
    bool ok = true;
    if (key == "pitch") {
      ok = ParseSweep(value, &layer->pitch);
    } else if (key == "lowpass") {
      ok = ParseSweep(value, &layer->lowpass);
    } else if (key == "highpass") {
      ok = ParseSweep(value, &layer->highpass);
    } else if (key == "vibrato") {
      std::string depth;
      ok = (words >> depth) && ParseNumber(value, &layer->vibratoRate) &&
           ParseNumber(depth, &layer->vibratoDepth) && layer->vibratoRate >= 0;
    } else if (!ParseNumber(value, &number)) {
      ok = false;
    } else if (key == "length") {
      layer->length = number;
      hasLength = true;
      ok = number > 0 && number <= 10;
    } else if (key == "at") {
      layer->at = number;
      ok = number >= 0 && number <= 10;
    } else if (key == "level") {
      layer->level = number;
      ok = number >= 0;
    } else if (key == "attack") {
      layer->attack = number;
      ok = number >= 0;
    } else if (key == "hold") {
      layer->hold = number;
      ok = number >= 0;
    } else if (key == "shape") {
      layer->shape = number;
      ok = number > 0;
    } else if (key == "duty") {
      layer->duty = number;
      ok = number > 0 && number < 1;
    } else if (key == "seed") {
      ok = number >= 1 && number <= 4294967295.0 && number == std::floor(number);
      layer->seed = ok ? uint32_t(number) : 1;
    } else {
      *why = "unknown key '" + key + "'";
      return false;
    }
    if (!ok) {
      *why = "bad value '" + value + "' for " + key;
      return false;
    }
  }
  if (!hasLength) {
    *why = "a layer needs a length";
    return false;
  }
  if (layer->attack + layer->hold > layer->length) {
    *why = "attack and hold are longer than the layer";
    return false;
  }
  if (layer->wave != Wave::Noise && layer->pitch.from <= 0) {
    *why = "an oscillator needs a pitch";
    return false;
  }
  return true;
}

// Robert Bristow-Johnson's two-pole filters, recomputed every sample so the
// cutoff can sweep.
struct Biquad {
  double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
  double Run(double x, double cutoff, bool highPass) {
    const double w = 2 * kPi * std::min(cutoff, 0.45 * kSampleRate) / kSampleRate;
    const double alpha = std::sin(w) / (2 * 0.9);  // Q 0.9: a little resonance
    const double c = std::cos(w);
    const double a0 = 1 + alpha;
    const double b0 = (highPass ? (1 + c) : (1 - c)) / 2, b1 = highPass ? -(1 + c) : (1 - c), b2 = b0;
    const double y = (b0 * x + b1 * x1 + b2 * x2 - (-2 * c) * y1 - (1 - alpha) * y2) / a0;
    x2 = x1;
    x1 = x;
    y2 = y1;
    y1 = y;
    return y;
  }
};

double SweepAt(const Sweep& s, double progress) { return s.from * std::pow(s.to / s.from, progress); }

double Envelope(const Layer& l, double t) {
  if (t < l.attack) return t / l.attack;
  if (t < l.attack + l.hold) return 1;
  const double fall = l.length - l.attack - l.hold;
  const double x = fall > 0 ? (t - l.attack - l.hold) / fall : 1;
  return x >= 1 ? 0 : std::pow(1 - x, l.shape);
}

void RenderLayer(const Layer& l, std::vector<double>& out) {
  const size_t start = size_t(std::llround(l.at * kSampleRate));
  const size_t count = size_t(std::llround(l.length * kSampleRate));
  if (out.size() < start + count) out.resize(start + count, 0.0);
  double phase = 0, noise = 0;
  uint32_t state = l.seed;
  Biquad low, high;
  for (size_t i = 0; i < count; ++i) {
    const double t = double(i) / kSampleRate;
    const double progress = double(i) / double(count);
    double frequency = l.pitch.from > 0 ? SweepAt(l.pitch, progress) : 0;
    if (l.vibratoRate > 0) frequency *= std::pow(2.0, l.vibratoDepth / 12 * std::sin(2 * kPi * l.vibratoRate * t));
    double v = 0;
    switch (l.wave) {
      case Wave::Sine: v = std::sin(2 * kPi * phase); break;
      case Wave::Square: v = phase < l.duty ? 1 : -1; break;
      case Wave::Triangle: v = 4 * std::fabs(phase - 0.5) - 1; break;
      case Wave::Saw: v = 2 * phase - 1; break;
      case Wave::Noise:
        if (frequency <= 0 || i == 0 || phase + frequency / kSampleRate >= 1) {
          // xorshift32: the same numbers on every machine.
          state ^= state << 13;
          state ^= state >> 17;
          state ^= state << 5;
          noise = double(state) / 2147483648.0 - 1.0;
        }
        v = noise;
        break;
    }
    phase += frequency / kSampleRate;
    phase -= std::floor(phase);
    if (l.lowpass.from > 0) v = low.Run(v, SweepAt(l.lowpass, progress), false);
    if (l.highpass.from > 0) v = high.Run(v, SweepAt(l.highpass, progress), true);
    out[start + i] += l.level * Envelope(l, t) * v;
  }
}

}  // namespace

bool ParseEffects(const std::string& text, std::vector<Effect>* effects, std::string* error) {
  effects->clear();
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  auto fail = [&](const std::string& why) {
    *error = std::to_string(number) + ": " + why;
    return false;
  };
  while (std::getline(lines, line)) {
    ++number;
    const size_t hash = line.find('#');
    if (hash != std::string::npos) line.erase(hash);
    std::istringstream words(line);
    std::string first;
    if (!(words >> first)) continue;
    if (first == "effect") {
      std::string name, extra;
      if (!(words >> name) || (words >> extra)) return fail("'effect' takes one name");
      if (name.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789-") != std::string::npos)
        return fail("an effect's name is lower-case letters, digits and '-'");
      for (const Effect& e : *effects)
        if (e.name == name) return fail("a second effect named " + name);
      effects->push_back(Effect{});
      effects->back().name = name;
      continue;
    }
    if (effects->empty()) return fail("'" + first + "' before the first effect");
    Effect& effect = effects->back();
    if (first == "peak") {
      std::string value, extra;
      if (!(words >> value) || !ParseNumber(value, &effect.peak) || effect.peak <= 0 || effect.peak > 1 ||
          (words >> extra))
        return fail("'peak' takes one number above 0 and at most 1");
      continue;
    }
    Layer layer;
    if (!ParseWave(first, &layer.wave)) return fail("unknown wave or setting '" + first + "'");
    std::string why;
    if (!ParseLayer(words, &layer, &why)) return fail(why);
    effect.layers.push_back(layer);
  }
  for (const Effect& e : *effects)
    if (e.layers.empty()) {
      *error = "the effect " + e.name + " has no layer";
      return false;
    }
  return true;
}

std::vector<int16_t> Render(const Effect& effect) {
  std::vector<double> mix;
  for (const Layer& l : effect.layers) RenderLayer(l, mix);
  double loudest = 0;
  for (double v : mix) loudest = std::max(loudest, std::fabs(v));
  const double scale = loudest > 0 ? effect.peak * 32767.0 / loudest : 0;
  std::vector<int16_t> samples(mix.size());
  for (size_t i = 0; i < mix.size(); ++i) samples[i] = int16_t(std::lround(mix[i] * scale));
  return samples;
}

std::vector<uint8_t> WriteWav(const std::vector<int16_t>& samples) {
  std::vector<uint8_t> out;
  out.reserve(44 + samples.size() * 2);
  auto put32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
  };
  auto put16 = [&](uint16_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
  };
  auto tag = [&](const char* t) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(t[i]));
  };
  const uint32_t dataBytes = uint32_t(samples.size() * 2);
  tag("RIFF");
  put32(36 + dataBytes);
  tag("WAVE");
  tag("fmt ");
  put32(16);
  put16(1);  // PCM
  put16(1);  // mono
  put32(kSampleRate);
  put32(kSampleRate * 2);
  put16(2);
  put16(16);
  tag("data");
  put32(dataBytes);
  for (int16_t s : samples) put16(uint16_t(s));
  return out;
}

}  // namespace sfx
