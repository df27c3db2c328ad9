// Every tune of the game through the SDL back-end's music device and the
// default soundfont, written to a file by SDL's disk audio driver (as fast as
// the synthesizer renders): a laptop's mono speaker sums the two channels, and
// a lead whose left and right samples cancel almost vanishes there. Each tune
// loses at most 2 dB in mono against its stereo level, and none clips.
#include <dirent.h>
#include <unistd.h>

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
#include "platform/sdl/sdl_music.h"

namespace {

constexpr int kRate = 44100;
constexpr double kSecondsPerTune = 40;

std::string TuneFolder() { return std::string(TESSIVANE_BUILD_DIR) + "/QapoMidi"; }

std::vector<std::string> Tunes() {
  std::vector<std::string> names;
  if (DIR* dir = opendir(TuneFolder().c_str())) {
    while (dirent* entry = readdir(dir)) {
      if (entry->d_name[0] != '.') names.push_back(entry->d_name);
    }
    closedir(dir);
  }
  std::sort(names.begin(), names.end());
  return names;
}

long FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  return in ? long(in.tellg()) : 0;
}

std::vector<int16_t> ReadSamples(const std::string& path, long from, long to) {
  std::ifstream in(path, std::ios::binary);
  in.seekg(from);
  std::vector<char> bytes(size_t(to - from));
  in.read(bytes.data(), long(bytes.size()));
  std::vector<int16_t> samples(size_t(in.gcount()) / 2);
  for (size_t i = 0; i < samples.size(); ++i)
    samples[i] = int16_t(uint8_t(bytes[2 * i]) | uint8_t(bytes[2 * i + 1]) << 8);
  return samples;
}

struct Level {
  double stereoDb = -200, monoLossDb = 0;
  int peak = 0;
};

// Stereo level: the power of both channels; mono: the power of (L + R) / 2.
// A part in the middle loses nothing, one hard to a side or two unrelated
// channels 3 dB, two channels in opposite phase everything.
Level Measure(const std::vector<int16_t>& stereo) {
  double left = 0, right = 0, mono = 0;
  Level level;
  for (size_t i = 0; i + 1 < stereo.size(); i += 2) {
    const double l = stereo[i], r = stereo[i + 1];
    left += l * l;
    right += r * r;
    mono += (l + r) * (l + r) / 4;
    level.peak = std::max({level.peak, std::abs(int(stereo[i])), std::abs(int(stereo[i + 1]))});
  }
  const double frames = double(stereo.size() / 2) + 1e-9;
  const double stereoPower = (left + right) / 2 / frames, monoPower = mono / frames + 1e-12;
  level.stereoDb = 10 * std::log10(stereoPower / (32768.0 * 32768.0) + 1e-20);
  level.monoLossDb = 10 * std::log10(stereoPower / monoPower + 1e-20);
  return level;
}

TEST(MusicMono, EveryTuneSurvivesAMonoSpeakerAndNeverClips) {
  if (platform::FindSoundFont().empty()) GTEST_SKIP() << "no General MIDI soundfont is installed";
  const std::string output = "/tmp/tessivane_mono_" + std::to_string(getpid()) + ".raw";
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
  setenv("SDL_DISKAUDIODELAY", "0", 1);
  ASSERT_TRUE(platform::StartMusicDevice());
  for (int i = 0; i < 6000 && !platform::IsMusicDeviceReady(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_TRUE(platform::IsMusicDeviceReady()) << "the soundfont did not load";

  const std::vector<std::string> tunes = Tunes();
  ASSERT_GE(tunes.size(), 13u) << "the tunes are built into " << TuneFolder();
  const long tuneBytes = long(kSecondsPerTune * kRate) * 4;
  for (const std::string& tune : tunes) {
    ASSERT_TRUE(platform::OpenTune(TuneFolder() + "/" + tune)) << tune;
    // The synthesizer renders flat out here and leaves the loading of the
    // tune's instruments little room: the measure starts once they are in.
    for (int i = 0; i < 2000 && !platform::IsTuneLoaded(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_TRUE(platform::IsTuneLoaded()) << tune;
    const long from = FileBytes(output);
    platform::PlayTune();
    for (int i = 0; i < 12000 && FileBytes(output) < from + tuneBytes; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    platform::CloseTune();
    const Level level = Measure(ReadSamples(output, from, from + tuneBytes));
    std::printf("%-14s %6.1f dBFS, mono loses %4.2f dB, peak %5d\n", tune.c_str(), level.stereoDb,
                level.monoLossDb, level.peak);
    EXPECT_GT(level.stereoDb, -40) << tune << " is heard";
    EXPECT_LE(level.monoLossDb, 2.0) << tune << " in mono";
    EXPECT_LT(level.peak, 32767) << tune << " clips";
    // The next tune starts after this one's notes have died away.
    const long end = FileBytes(output);
    for (int i = 0; i < 2000 && FileBytes(output) < end + 3 * kRate * 4; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  std::remove(output.c_str());
}

}  // namespace
