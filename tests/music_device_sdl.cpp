// The SDL back-end's music device, for real: SDL's disk audio driver writes
// what would be heard into a file, and the tests look at the samples.
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

#include "mml.h"
#include "platform/backend.h"
#include "platform/music.h"
#include "platform/sdl/sdl_music.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string Scratch(const std::string& name) {
  return "/tmp/tessivane_music_" + std::to_string(getpid()) + "_" + name;
}

std::string BuiltTune(const char* file) { return std::string(TESSIVANE_BUILD_DIR) + "/QapoMidi/" + file; }

std::vector<int16_t> ReadSamples(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<int16_t> samples(bytes.size() / 2);
  for (size_t i = 0; i < samples.size(); ++i)
    samples[i] = int16_t(uint8_t(bytes[2 * i]) | uint8_t(bytes[2 * i + 1]) << 8);
  return samples;
}

template <typename Pred>
bool WaitFor(Pred pred, double seconds) {
  const auto until = Clock::now() + std::chrono::duration<double>(seconds);
  while (!pred()) {
    if (Clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

class MusicDevice : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    output_ = Scratch("out.raw");
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", output_.c_str(), 1);
    const auto start = Clock::now();
    started_ = platform::StartMusicDevice();
    const auto opened = Clock::now();
    WaitFor(platform::IsMusicDeviceReady, 60);
    std::printf("audio opened in %.1f ms; soundfont %s ready %.0f ms later\n",
                std::chrono::duration<double, std::milli>(opened - start).count(),
                platform::FindSoundFont().c_str(),
                std::chrono::duration<double, std::milli>(Clock::now() - opened).count());
  }
  static void TearDownTestSuite() { std::remove(output_.c_str()); }
  void SetUp() override {
    if (platform::FindSoundFont().empty()) GTEST_SKIP() << "no General MIDI soundfont is installed";
    ASSERT_TRUE(started_) << "the disk audio driver did not open";
    ASSERT_TRUE(WaitFor(platform::IsMusicDeviceReady, 60)) << "the soundfont did not load";
  }
  static std::string output_;
  static bool started_;
};
std::string MusicDevice::output_;
bool MusicDevice::started_ = false;

TEST_F(MusicDevice, ATuneIsHeardAndStartsWithoutAClick) {
  const size_t before = ReadSamples(output_).size();
  ASSERT_TRUE(platform::OpenTune(BuiltTune("mukai.mid")));
  platform::PlayTune();
  std::this_thread::sleep_for(std::chrono::milliseconds(3000));
  platform::CloseTune();
  std::this_thread::sleep_for(std::chrono::milliseconds(300));

  const std::vector<int16_t> all = ReadSamples(output_);
  ASSERT_GT(all.size(), before + 44100) << "the output did not advance";
  const std::vector<int16_t> heard(all.begin() + long(before), all.end());
  int peak = 0;
  for (int16_t s : heard) peak = std::max(peak, std::abs(int(s)));
  std::printf("peak %.1f dBFS over %.1f s\n", 20 * std::log10(std::max(peak, 1) / 32768.0),
              heard.size() / 88200.0);
  EXPECT_GT(peak, 3276) << "well above silence (-20 dBFS)";

  // Before the tune the output was silent; the sound then rises from zero
  // rather than jumping (a click).
  const auto first = std::find_if(all.begin(), all.end(), [](int16_t s) { return s != 0; });
  ASSERT_NE(first, all.end());
  int startPeak = 0;
  for (auto it = first; it != all.end() && it < first + 2 * 44; ++it)
    startPeak = std::max(startPeak, std::abs(int(*it)));
  EXPECT_LT(startPeak, 3276) << "the first millisecond of sound";
}

TEST_F(MusicDevice, AnEndedTuneReportsStoppedAndRewinds) {
  // A tune of half a second.
  mml::Song song;
  std::string error;
  ASSERT_TRUE(mml::Compile("part a 1\nt120 @0 c4\npart d 10\nl4 k\n", &song, &error)) << error;
  const std::string path = Scratch("short.mid");
  {
    const std::vector<uint8_t> smf = mml::WriteSmf(song);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(smf.data()), long(smf.size()));
  }
  ASSERT_TRUE(platform::OpenTune(path));
  EXPECT_TRUE(platform::IsTuneStopped()) << "open, not yet played";
  platform::PlayTune();
  EXPECT_FALSE(platform::IsTuneStopped());
  EXPECT_TRUE(WaitFor(platform::IsTuneStopped, 5)) << "it ends by itself";
  platform::PlayTune();
  EXPECT_TRUE(platform::IsTuneStopped()) << "play at the end sounds nothing";
  platform::RewindAndPlayTune();
  EXPECT_FALSE(platform::IsTuneStopped()) << "from the top again";
  EXPECT_TRUE(WaitFor(platform::IsTuneStopped, 5));

  platform::RewindAndPlayTune();
  platform::StopTune();
  EXPECT_TRUE(platform::IsTuneStopped());
  platform::PlayTune();
  EXPECT_FALSE(platform::IsTuneStopped()) << "a stopped tune resumes";
  platform::CloseTune();
  EXPECT_FALSE(platform::IsTuneStopped()) << "nothing open is not 'stopped'";
  std::remove(path.c_str());

  // A missing file opens nothing; the calls that follow do no harm.
  EXPECT_FALSE(platform::OpenTune(Scratch("missing.mid")));
  platform::PlayTune();
  platform::RewindAndPlayTune();
  EXPECT_FALSE(platform::IsTuneStopped());
}

TEST_F(MusicDevice, ATuneStartedAndDroppedAtOnceIsNeverHeard) {
  // A tune loud from its first moment, opened, played and dropped at once, as
  // the priming of a switch does.
  mml::Song song;
  std::string error;
  ASSERT_TRUE(mml::Compile("part a 1\nt120 @61 v127 'c>ceg'1\npart d 10\nv127 l1 'kc'\n", &song, &error)) << error;
  const std::string path = Scratch("loud.mid");
  {
    const std::vector<uint8_t> smf = mml::WriteSmf(song);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(smf.data()), long(smf.size()));
  }
  platform::CloseTune();
  std::this_thread::sleep_for(std::chrono::milliseconds(2000));  // earlier tunes die away
  const size_t before = ReadSamples(output_).size();
  for (int i = 0; i < 20; ++i) {
    ASSERT_TRUE(platform::OpenTune(path));
    platform::PlayTune();
    platform::StopTune();
    platform::CloseTune();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const std::vector<int16_t> all = ReadSamples(output_);
  int peak = 0;
  for (size_t i = before; i < all.size(); ++i) peak = std::max(peak, std::abs(int(all[i])));
  EXPECT_LT(peak, 33) << "silence (below -60 dBFS)";

  // The same tune left to play is loud.
  ASSERT_TRUE(platform::OpenTune(path));
  platform::PlayTune();
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  platform::CloseTune();
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  const std::vector<int16_t> after = ReadSamples(output_);
  for (size_t i = all.size(); i < after.size(); ++i) peak = std::max(peak, std::abs(int(after[i])));
  EXPECT_GT(peak, 3276);
  std::remove(path.c_str());
}

TEST_F(MusicDevice, SwitchingTunesNeverStallsAFrame) {
  // The game's own switches, from the folder beside the executables (the
  // tests run in the build folder), as the stage flow and the screens do.
  const char* tunes[] = {"opening2.mid", "mukai.mid", "m-fight.mid", "gogogo.Mid", "fight6.mid", "se12.mid"};
  double longestMs = 0;
  for (int i = 0; i < 24; ++i) {
    const auto start = Clock::now();
    if (i % 3 == 2) {
      SwitchMusicPrimed("select.mid", tunes[i % 6]);
    } else {
      SwitchMusic(tunes[i % 6]);
    }
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    longestMs = std::max(longestMs, ms);
    std::this_thread::sleep_for(std::chrono::milliseconds(43));
  }
  MusicStop();
  MusicClose();
  std::printf("longest tune switch: %.3f ms\n", longestMs);
  EXPECT_LT(longestMs, 43.0) << "a frame lasts 43 ms";
}

// Without an audio device the game plays on in silence; one line says why.
void PlayWithoutAudioDevice() {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  for (int i = 0; i < 3; ++i) {
    SwitchMusicPrimed("select.mid", "opening2.mid");
    MusicLoopCheck();
    if (platform::IsTuneStopped()) std::abort();
  }
  MusicStop();
  MusicClose();
  std::exit(0);
}

TEST(MusicDeviceDeathTest, NoAudioDeviceMeansSilenceAndOneLine) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process, device untried
  if (platform::FindSoundFont().empty()) GTEST_SKIP() << "no General MIDI soundfont is installed";
  EXPECT_EXIT(PlayWithoutAudioDevice(), ::testing::ExitedWithCode(0),
              ::testing::MatchesRegex("tessivane: no audio device[^\n]*without music[.]\n"));
}

TEST(SoundFontSearch, TakesTheFirstRealFileOfTheList) {
  const char* tim = "/usr/share/sounds/sf2/TimGM6mb.sf2";
  std::ifstream probe(tim);
  if (!probe) GTEST_SKIP() << tim << " is not installed";
  const char* old = std::getenv("SDL_SOUNDFONTS");
  const std::string saved = old ? old : "";
  setenv("SDL_SOUNDFONTS", (std::string("/nonexistent.sf2:/usr/share:") + tim).c_str(), 1);
  EXPECT_EQ(platform::FindSoundFont(), tim) << "missing files and folders are passed over";
  if (old) {
    setenv("SDL_SOUNDFONTS", saved.c_str(), 1);
  } else {
    unsetenv("SDL_SOUNDFONTS");
  }
}

}  // namespace
