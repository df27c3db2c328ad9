// The sound-effect synthesiser and the effects it made for the game.
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/sound_effects.h"
#include "sfx.h"

namespace {

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

uint32_t Le(const std::vector<uint8_t>& b, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | b[at + size_t(i)];
  return v;
}

// The samples of a 16-bit mono 44.1 kHz PCM file as gen-sfx writes it; empty
// (with a failure) when the file is anything else.
std::vector<int16_t> ReadWav(const std::string& path) {
  const std::vector<uint8_t> b = ReadBytes(path);
  EXPECT_GE(b.size(), 44u) << path;
  if (b.size() < 44) return {};
  EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF") << path;
  EXPECT_EQ(std::string(b.begin() + 8, b.begin() + 16), "WAVEfmt ") << path;
  EXPECT_EQ(Le(b, 20, 2), 1u) << path << ": PCM";
  EXPECT_EQ(Le(b, 22, 2), 1u) << path << ": mono";
  EXPECT_EQ(Le(b, 24, 4), 44100u) << path;
  EXPECT_EQ(Le(b, 34, 2), 16u) << path;
  EXPECT_EQ(Le(b, 40, 4), b.size() - 44) << path << ": data size";
  std::vector<int16_t> samples((b.size() - 44) / 2);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = int16_t(Le(b, 44 + 2 * i, 2));
  return samples;
}

int Peak(const std::vector<int16_t>& s, size_t from = 0, size_t to = SIZE_MAX) {
  int peak = 0;
  for (size_t i = from; i < std::min(to, s.size()); ++i) peak = std::max(peak, std::abs(int(s[i])));
  return peak;
}

std::string BuiltSound(const std::string& name) {
  return std::string(TESSIVANE_BUILD_DIR) + "/sounds/" + name + ".wav";
}

TEST(SoundEffectFiles, EveryEffectIsThereAudibleShortAndEndsInSilence) {
  for (int i = 0; i < kSoundEffectCount; ++i) {
    const SoundEffect effect = SoundEffect(i);
    const std::string name = SoundEffectName(effect);
    const std::vector<int16_t> s = ReadWav(BuiltSound(name));
    ASSERT_FALSE(s.empty()) << name;
    const double seconds = double(s.size()) / 44100;
    // Short, and raised as often as its interval allows it never needs more
    // than the six voices of the mixer.
    EXPECT_LE(seconds, 2.5) << name;
    EXPECT_LE(seconds * 1000, 6.0 * SoundEffectMinimumIntervalMs(effect)) << name;
    EXPECT_GE(Peak(s), 32768 * 3 / 10) << name << ": audible, above -10.5 dBFS";
    EXPECT_LE(Peak(s), 32768 * 9 / 10) << name << ": headroom for the music";
    // No click at either end: it rises from silence and falls back to it.
    EXPECT_LT(Peak(s, 0, 10), 2000) << name << " starts";
    EXPECT_LT(Peak(s, s.size() - 10), 500) << name << " ends";
  }
}

TEST(SoundEffectFiles, TheGeneratorWritesTheSameBytesEveryRun) {
  const std::string tool = std::string(TESSIVANE_BUILD_DIR) + "/tools/gen-sfx";
  const std::string source = std::string(TESSIVANE_SOURCE_DIR) + "/assets/sounds/effects.sfx";
  for (int run = 0; run < 2; ++run) {
    const std::string folder = "/tmp/tessivane_sfx_" + std::to_string(getpid()) + "_" + std::to_string(run);
    ASSERT_EQ(std::system((tool + " " + source + " " + folder).c_str()), 0);
    for (int i = 0; i < kSoundEffectCount; ++i) {
      const std::string name = SoundEffectName(SoundEffect(i));
      const std::vector<uint8_t> made = ReadBytes(folder + "/" + name + ".wav");
      EXPECT_FALSE(made.empty()) << name;
      EXPECT_TRUE(made == ReadBytes(BuiltSound(name))) << name << " differs from the build's, run " << run;
    }
    std::system(("rm -rf " + folder).c_str());
  }
}

TEST(SoundSynthesiser, RefusesABadDescriptionNamingTheLine) {
  const struct {
    const char* text;
    const char* error;
  } cases[] = {
      {"sine pitch 440 length 1\n", "1: 'sine' before the first effect"},
      {"effect a\n\nsine length 1\n", "3: an oscillator needs a pitch"},
      {"effect a\nsine pitch 440\n", "2: a layer needs a length"},
      {"effect a\nsine pitch 440 length 1 attack 0.6 hold 0.6\n", "2: attack and hold are longer than the layer"},
      {"effect a\nsine pitch 440 length 1 wobble 3\n", "2: unknown key 'wobble'"},
      {"effect a\nnoise length 1 level\n", "2: 'level' needs a value"},
      {"effect a\nsine pitch 440>0 length 1\n", "2: bad value '440>0' for pitch"},
      {"effect a\nsine pitch 440 length x1\n", "2: bad value 'x1' for length"},
      {"effect a\npeak 1.5\nsine pitch 440 length 1\n", "2: 'peak' takes one number above 0 and at most 1"},
      {"effect a\nhum pitch 440 length 1\n", "2: unknown wave or setting 'hum'"},
      {"effect Big\n", "1: an effect's name is lower-case letters, digits and '-'"},
      {"effect a\nnoise length 1\neffect a\n", "3: a second effect named a"},
      {"effect a\nnoise length 1\neffect b\n", "the effect b has no layer"},
  };
  for (const auto& c : cases) {
    std::vector<sfx::Effect> effects;
    std::string error;
    EXPECT_FALSE(sfx::ParseEffects(c.text, &effects, &error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
  }
}

sfx::Effect One(const std::string& layer) {
  std::vector<sfx::Effect> effects;
  std::string error;
  EXPECT_TRUE(sfx::ParseEffects("effect t  # a comment\npeak 0.5\n" + layer + "\n", &effects, &error)) << error;
  return effects.empty() ? sfx::Effect{} : effects[0];
}

// Sign changes per second over a stretch of samples: twice the frequency of a tone.
double Crossings(const std::vector<int16_t>& s, size_t from, size_t to) {
  int n = 0;
  for (size_t i = from + 1; i < to; ++i) n += (s[i - 1] < 0) != (s[i] < 0);
  return n * 44100.0 / double(to - from);
}

// Mean squared step between neighbouring samples against the mean square: high for bright sound.
double Brightness(const std::vector<int16_t>& s) {
  double steps = 0, power = 0;
  for (size_t i = 1; i < s.size(); ++i) {
    steps += std::pow(double(s[i]) - s[i - 1], 2);
    power += double(s[i]) * s[i];
  }
  return steps / power;
}

TEST(SoundSynthesiser, RendersWhatTheLayersSay) {
  // Length, start and peak.
  const std::vector<int16_t> late = sfx::Render(One("sine pitch 1000 at 0.25 length 0.5"));
  EXPECT_EQ(late.size(), 33075u);
  EXPECT_EQ(Peak(late, 0, 11025), 0) << "silent before its start";
  EXPECT_NEAR(Peak(late), 16384, 2);

  // Pitch and a sweep (an exponential one passes the geometric mean halfway).
  const std::vector<int16_t> tone = sfx::Render(One("sine pitch 1000 length 1 hold 0.9"));
  EXPECT_NEAR(Crossings(tone, 4410, 39690), 2000, 20);
  const std::vector<int16_t> sweep = sfx::Render(One("square pitch 2000>500 length 1 hold 0.9"));
  EXPECT_NEAR(Crossings(sweep, 0, 2205), 2 * 1932, 100);
  EXPECT_NEAR(Crossings(sweep, 21609, 22491), 2 * 1000, 120);
  EXPECT_NEAR(Crossings(sweep, 41895, 44100), 2 * 518, 60);

  // Noise: the seed decides it; a low-pass filter darkens it, a high-pass
  // one brightens it.
  const std::vector<int16_t> noise = sfx::Render(One("noise length 0.5 seed 7"));
  EXPECT_EQ(noise, sfx::Render(One("noise length 0.5 seed 7")));
  EXPECT_NE(noise, sfx::Render(One("noise length 0.5 seed 8")));
  const double plain = Brightness(noise);
  EXPECT_LT(Brightness(sfx::Render(One("noise length 0.5 seed 7 lowpass 500"))), plain / 10);
  EXPECT_GT(Brightness(sfx::Render(One("noise length 0.5 seed 7 highpass 8000"))), plain * 1.2);
}

}  // namespace
