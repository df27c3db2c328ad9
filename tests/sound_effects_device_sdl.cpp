// The SDL back-end's sound effects, for real: SDL's disk audio driver writes
// what would be heard into a file, and the tests look at the samples.
#include <sys/stat.h>
#include <unistd.h>

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "platform/backend.h"
#include "platform/music.h"
#include "platform/sdl/sdl_music.h"
#include "platform/sdl/sdl_sound_effects.h"
#include "platform/sound_effects.h"

namespace {

using Clock = std::chrono::steady_clock;

std::vector<int16_t> ReadSamples(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<int16_t> samples(bytes.size() / 2);
  for (size_t i = 0; i < samples.size(); ++i)
    samples[i] = int16_t(uint8_t(bytes[2 * i]) | uint8_t(bytes[2 * i + 1]) << 8);
  return samples;
}

double Rms(const std::vector<int16_t>& s, size_t from, size_t to) {
  double sum = 0;
  for (size_t i = from; i < to; ++i) sum += double(s[i]) * s[i];
  return std::sqrt(sum / double(to - from));
}

double Dbfs(double level) { return 20 * std::log10(std::max(level, 1.0) / 32768.0); }

size_t SamplesWritten(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? size_t(st.st_size) / 2 : 0;
}

// Frames of about 43 ms, calling `frame(n)` in each, until the output has
// grown by `seconds` of sound (however fast a loaded machine writes it).
// False when the output stopped growing.
template <typename Frame>
bool PlayFrames(const std::string& output, double seconds, Frame frame) {
  const size_t until = SamplesWritten(output) + size_t(seconds * 88200);
  size_t last = 0;
  auto grew = Clock::now();
  for (int n = 0; SamplesWritten(output) < until; ++n) {
    frame(n);
    std::this_thread::sleep_for(std::chrono::milliseconds(43));
    const size_t now = SamplesWritten(output);
    if (now != last) {
      last = now;
      grew = Clock::now();
    } else if (Clock::now() - grew > std::chrono::seconds(10)) {
      return false;
    }
  }
  return true;
}

class SoundEffectsDevice : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    output_ = "/tmp/tessivane_effects_" + std::to_string(getpid()) + "_out.raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", output_.c_str(), 1);
    platform::StartMusicDevice();
    const auto until = Clock::now() + std::chrono::seconds(60);
    while (!platform::IsMusicDeviceReady() && Clock::now() < until)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  static void TearDownTestSuite() { std::remove(output_.c_str()); }
  void SetUp() override {
    if (platform::FindSoundFont().empty()) GTEST_SKIP() << "no General MIDI soundfont is installed";
    ASSERT_TRUE(platform::IsMusicDeviceReady()) << "the disk audio driver or the soundfont failed";
    ASSERT_TRUE(platform::AreSoundEffectsReady());
  }
  static std::string output_;
};
std::string SoundEffectsDevice::output_;

TEST_F(SoundEffectsDevice, AnEffectIsHeardAtItsVolume) {
  PlayFrames(output_, 0.2, [](int) {});
  auto peakOf = [](int volume) {
    const size_t before = ReadSamples(output_).size();
    ApplyEffectsVolumeSetting(volume);
    RaiseSoundEffect(SoundEffect::ExplosionLarge);
    EXPECT_TRUE(PlayFrames(output_, 1.0, [](int) {})) << "the output stopped";
    const std::vector<int16_t> all = ReadSamples(output_);
    int peak = 0;
    for (size_t i = before; i < all.size(); ++i) peak = std::max(peak, std::abs(int(all[i])));
    return peak;
  };
  const int full = peakOf(10), low = peakOf(3), off = peakOf(0);
  std::printf("explosion-large peaks: volume 10 %.1f dBFS, 3 %.1f dBFS\n", Dbfs(full), Dbfs(low));
  EXPECT_NEAR(full, 0.35 * 0.72 * 32768, 0.03 * 32768) << "0.35 of the file's peak (0.72 of full scale)";
  EXPECT_NEAR(double(low) / full, std::sqrt(0.3), 0.03) << "the square root of the volume's share";
  EXPECT_LT(off, 33) << "volume 0 is silence (below -60 dBFS)";

  // Turned off while it sounds, an effect falls silent at once.
  ApplyEffectsVolumeSetting(10);
  RaiseSoundEffect(SoundEffect::ExplosionBoss);  // 1.7 s long
  EXPECT_TRUE(PlayFrames(output_, 0.3, [](int) {}));
  ApplyEffectsVolumeSetting(0);
  const size_t turnedOff = SamplesWritten(output_);
  EXPECT_TRUE(PlayFrames(output_, 1.0, [](int) {}));
  const std::vector<int16_t> all = ReadSamples(output_);
  int after = 0;
  for (size_t i = turnedOff + 4096; i < all.size(); ++i) after = std::max(after, std::abs(int(all[i])));
  EXPECT_LT(after, 33) << "two buffers after the change";
  ApplyEffectsVolumeSetting(kDefaultEffectsVolume);
}

TEST_F(SoundEffectsDevice, BusyPlayNeverClipsAndTheMusicStaysAudible) {
  // The boss tune alone, then again from its start under a storm of effects
  // at full volume: every frame a shot and a hit, explosions small and large,
  // bombs, a boss explosion, pickups, shield hits.
  ApplyEffectsVolumeSetting(10);
  SwitchMusic("m-fight.mid");
  const size_t musicFrom = ReadSamples(output_).size();
  ASSERT_TRUE(PlayFrames(output_, 10, [](int) {})) << "the output stopped";
  const size_t musicTo = ReadSamples(output_).size();
  SwitchMusic("m-fight.mid");
  const uint64_t limitedBefore = platform::SoundEffectsLimitedSamples();
  const bool played = PlayFrames(output_, 30, [](int n) {
    RaiseSoundEffect(SoundEffect::Shot);
    RaiseSoundEffect(SoundEffect::EnemyHit);
    if (n % 2 == 0) RaiseSoundEffect(SoundEffect::ExplosionSmall);
    if (n % 7 == 0) RaiseSoundEffect(SoundEffect::ExplosionLarge);
    if (n % 9 == 0) RaiseSoundEffect(SoundEffect::ChargedShot3);
    if (n % 50 == 0) RaiseSoundEffect(SoundEffect::ShieldHit);
    if (n % 60 == 0) RaiseSoundEffect(SoundEffect::ItemPickup);
    if (n % 100 == 0) RaiseSoundEffect(SoundEffect::Bomb);
    if (n % 230 == 0) RaiseSoundEffect(SoundEffect::ExplosionBoss);
  });
  MusicStop();
  MusicClose();
  ApplyEffectsVolumeSetting(kDefaultEffectsVolume);
  ASSERT_TRUE(played) << "the output stopped";
  const std::vector<int16_t> all = ReadSamples(output_);
  const size_t busyFrom = musicTo, busyTo = all.size();

  size_t clipped = 0;
  for (size_t i = busyFrom; i < busyTo; ++i) clipped += all[i] >= 32767 || all[i] <= -32767;
  EXPECT_EQ(clipped, 0u) << "samples at full scale";

  // The tune under the effects: as loud as alone, and the effects add at most
  // 6 dB to the whole (the first 10 s of each, the same bars of the tune).
  const double music = Rms(all, musicFrom, musicTo);
  const double busy = Rms(all, busyFrom, busyFrom + (musicTo - musicFrom));
  std::printf(
      "music alone %.1f dBFS RMS; with the effects %.1f dBFS RMS; limiter held the effects back in %llu "
      "samples\n",
      Dbfs(music), Dbfs(busy), (unsigned long long)(platform::SoundEffectsLimitedSamples() - limitedBefore));
  EXPECT_GT(music, 32768 * 0.03) << "the tune alone is well above silence (-30 dBFS)";
  EXPECT_LT(busy, 2 * music) << "the effects do not drown the tune";
}

// At the default volumes the effects are heard beside the tune: a shot's
// peak not far under the tune's, and a busy stretch never clipping.
TEST_F(SoundEffectsDevice, AtTheDefaultsShotsAreHeardBesideTheTune) {
  ApplyEffectsVolumeSetting(kDefaultEffectsVolume);
  platform::SetMusicVolume(10);
  auto peak = [](const std::vector<int16_t>& s, size_t from, size_t to) {
    int p = 0;
    for (size_t i = from; i < to; ++i) p = std::max(p, std::abs(int(s[i])));
    return p;
  };
  SwitchMusic("m-fight.mid");
  const size_t musicFrom = ReadSamples(output_).size();
  ASSERT_TRUE(PlayFrames(output_, 8, [](int) {}));
  const std::vector<int16_t> withMusic = ReadSamples(output_);
  const int musicPeak = peak(withMusic, musicFrom, withMusic.size());
  const double musicRms = Rms(withMusic, musicFrom, withMusic.size());
  MusicStop();
  MusicClose();
  ASSERT_TRUE(PlayFrames(output_, 0.5, [](int) {}));
  struct Effect {
    SoundEffect effect;
    const char* name;
  };
  int shotPeak = 0;
  for (const Effect& e : {Effect{SoundEffect::Shot, "shot"}, Effect{SoundEffect::EnemyHit, "enemy-hit"},
                          Effect{SoundEffect::ExplosionLarge, "explosion-large"}, Effect{SoundEffect::Bomb, "bomb"}}) {
    const size_t from = ReadSamples(output_).size();
    RaiseSoundEffect(e.effect);
    ASSERT_TRUE(PlayFrames(output_, 1.0, [](int) {}));
    const std::vector<int16_t> all = ReadSamples(output_);
    const int p = peak(all, from, all.size());
    if (e.effect == SoundEffect::Shot) shotPeak = p;
    std::printf("default volumes: %s alone peaks at %.1f dBFS\n", e.name, Dbfs(p));
  }
  std::printf("default volumes: the tune peaks at %.1f dBFS, %.1f dBFS RMS\n", Dbfs(musicPeak), Dbfs(musicRms));
  EXPECT_GT(Dbfs(shotPeak), Dbfs(musicPeak) - 9) << "a shot is heard beside the tune";
  EXPECT_LT(Dbfs(shotPeak), Dbfs(musicPeak) + 3) << "and does not stand far above it";

  // A busy stretch at the defaults, over the tune: never at full scale.
  SwitchMusic("m-fight.mid");
  const size_t busyFrom = ReadSamples(output_).size();
  ASSERT_TRUE(PlayFrames(output_, 6, [](int n) {
    RaiseSoundEffect(SoundEffect::Shot);
    RaiseSoundEffect(SoundEffect::EnemyHit);
    if (n % 3 == 0) RaiseSoundEffect(SoundEffect::ExplosionLarge);
    if (n % 40 == 0) RaiseSoundEffect(SoundEffect::Bomb);
  }));
  MusicStop();
  MusicClose();
  const std::vector<int16_t> all = ReadSamples(output_);
  size_t clipped = 0;
  for (size_t i = busyFrom; i < all.size(); ++i) clipped += all[i] >= 32767 || all[i] <= -32767;
  EXPECT_EQ(clipped, 0u);
  std::printf("default volumes: busy play peaks at %.1f dBFS, %.1f dBFS RMS\n", Dbfs(peak(all, busyFrom, all.size())),
              Dbfs(Rms(all, busyFrom, all.size())));
}

// Without an audio device the effects are silent like the music, and only
// the music's line is written.
void PlayWithoutAudioDevice() {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  for (int i = 0; i < kSoundEffectCount; ++i) RaiseSoundEffect(SoundEffect(i));
  SwitchMusic("opening2.mid");
  for (int i = 0; i < kSoundEffectCount; ++i) RaiseSoundEffect(SoundEffect(i));
  if (platform::AreSoundEffectsReady()) std::abort();
  MusicStop();
  MusicClose();
  std::exit(0);
}

TEST(SoundEffectsDeviceDeathTest, NoAudioDeviceMeansSilenceAndNoFurtherLine) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process, device untried
  if (platform::FindSoundFont().empty()) GTEST_SKIP() << "no General MIDI soundfont is installed";
  EXPECT_EXIT(PlayWithoutAudioDevice(), ::testing::ExitedWithCode(0),
              ::testing::MatchesRegex("tessivane: no audio device[^\n]*without music[.]\n"));
}

}  // namespace
