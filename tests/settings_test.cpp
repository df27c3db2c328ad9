#include "app/settings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/files.h"
#include "platform/keys.h"

namespace {

std::string ReadText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteText(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

// Each test has a configuration home of its own.
class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tessivane-settings-XXXXXX";
    home = mkdtemp(pattern);
    setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    SetDefaultSettings();
  }
  void TearDown() override { std::system(("rm -rf '" + home + "'").c_str()); }
  std::string FilePath() const { return home + "/tessivane/settings.ini"; }
  void WriteSettingsFile(const std::string& text) {
    int error = 0;
    ASSERT_TRUE(files::MakeFolders(home + "/tessivane", &error));
    WriteText(FilePath(), text);
  }
  std::string home;
};

TEST_F(SettingsTest, MissingFileMeansDefaultsAndChangesSurviveARestart) {
  settingValues[kSettingMusicVolume] = 3;
  LoadSettings();
  for (int i = 0; i < kSettingCount; ++i)
    EXPECT_EQ(settingValues[i], kSettingRows[i].defaultValue) << kSettingRows[i].name;

  ChangeSetting(kSettingMusicVolume, 0);
  ChangeSetting(kSettingFullScreen, 1);
  ChangeSetting(kSettingScaling, kScalingFill);
  ChangeSetting(kSettingWindowSize, 3);
  ChangeSetting(kSettingFireKey, 'J');
  ChangeSetting(kSettingPadPause, 5);
  ChangeSetting(kSettingLanguage, 2);
  ChangeSetting(kSettingEffectsVolume, 10);
  int32_t saved[kSettingCount];
  std::copy(settingValues, settingValues + kSettingCount, saved);

  SetDefaultSettings();
  LoadSettings();
  for (int i = 0; i < kSettingCount; ++i) EXPECT_EQ(settingValues[i], saved[i]) << kSettingRows[i].name;
  const std::string text = ReadText(FilePath());
  EXPECT_NE(text.find("fire_key = J\n"), std::string::npos) << text;
  EXPECT_NE(text.find("scaling = fill\n"), std::string::npos) << text;
}

TEST_F(SettingsTest, DamagedValueGetsItsDefaultWithOneLineOnStandardError) {
  struct Case {
    const char* line;
    SettingId id;
  };
  const Case cases[] = {
      {"music_volume = 11", kSettingMusicVolume},
      {"music_volume = -1", kSettingMusicVolume},
      {"music_volume = loud", kSettingMusicVolume},
      {"music_volume =", kSettingMusicVolume},
      {"scaling = blurry", kSettingScaling},
      {"window_size = 5x", kSettingWindowSize},
      {"fire_key = F13", kSettingFireKey},
      {"pause_key = ", kSettingPauseKey},
      {"pad_fire = 9", kSettingPadFire},
      {"language = fr", kSettingLanguage},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    // A good value of another setting on the next line still counts.
    WriteSettingsFile(std::string("[settings]\n") + c.line + "\neffects_volume = 2\n");
    SetDefaultSettings();
    settingValues[c.id] = kSettingRows[c.id].defaultValue == 1 ? 2 : 1;
    testing::internal::CaptureStderr();
    LoadSettings();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(settingValues[c.id], kSettingRows[c.id].defaultValue);
    EXPECT_EQ(Setting(kSettingEffectsVolume), 2);
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find(kSettingRows[c.id].name), std::string::npos) << err;
  }
}

TEST_F(SettingsTest, UnknownEntriesAreKeptWhenTheFileIsRewritten) {
  WriteSettingsFile(
      "; written by a newer version\n[settings]\nmusic_volume = 4\nreplay_speed = 2\n\n[window]\nx = 10\ny = "
      "20\n");
  LoadSettings();
  EXPECT_EQ(Setting(kSettingMusicVolume), 4);
  ChangeSetting(kSettingReduceFlashing, 1);

  const std::string text = ReadText(FilePath());
  EXPECT_NE(text.find("replay_speed = 2\n"), std::string::npos) << text;
  EXPECT_NE(text.find("[window]\nx = 10\ny = 20\n"), std::string::npos) << text;
  EXPECT_NE(text.find("reduce_flashing = on\n"), std::string::npos) << text;
  // ... and they stay in their sections through another load and write.
  SetDefaultSettings();
  LoadSettings();
  ChangeSetting(kSettingMusicVolume, 5);
  EXPECT_EQ(ReadText(FilePath()).find("replay_speed"), text.find("replay_speed"));
  EXPECT_EQ(Setting(kSettingReduceFlashing), 1);
}

TEST_F(SettingsTest, UnwritableFolderLeavesTheGameRunningWithOneLine) {
  // The configuration home is a regular file: no folder can be made in it.
  WriteText(home + "/file", "x");
  setenv("XDG_CONFIG_HOME", (home + "/file").c_str(), 1);
  testing::internal::CaptureStderr();
  ChangeSetting(kSettingMusicVolume, 7);
  ChangeSetting(kSettingMusicVolume, 8);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(Setting(kSettingMusicVolume), 8) << "the change holds for this run";
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  EXPECT_NE(err.find("settings"), std::string::npos) << err;
}

TEST_F(SettingsTest, ResetBringsEveryDefaultBackAndWritesIt) {
  ChangeSetting(kSettingBombKey, kVkSpace);
  ChangeSetting(kSettingWindowSize, 2);
  ResetSettings();
  for (int i = 0; i < kSettingCount; ++i)
    EXPECT_EQ(settingValues[i], kSettingRows[i].defaultValue) << kSettingRows[i].name;
  EXPECT_NE(ReadText(FilePath()).find("bomb_key = S\n"), std::string::npos);
}

}  // namespace
