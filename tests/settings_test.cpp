#include "app/settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

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
  for (int i = 0; i < kSettingAllCount; ++i)
    EXPECT_EQ(settingValues[i], kSettingRows[i].defaultValue) << kSettingRows[i].name;

  ChangeSetting(kSettingMusicVolume, 0);
  ChangeSetting(kSettingFullScreen, 1);
  ChangeSetting(kSettingScaling, kScalingFill);
  ChangeSetting(kSettingWindowSize, 3);
  ChangeSetting(kSettingFireKey, 'J');
  ChangeSetting(kSettingPadPause, 5);
  ChangeSetting(kSettingLanguage, 2);
  ChangeSetting(kSettingEffectsVolume, 10);
  int32_t saved[kSettingAllCount];
  std::copy(settingValues, settingValues + kSettingAllCount, saved);

  SetDefaultSettings();
  LoadSettings();
  for (int i = 0; i < kSettingAllCount; ++i) EXPECT_EQ(settingValues[i], saved[i]) << kSettingRows[i].name;
  const std::string text = ReadText(FilePath());
  EXPECT_NE(text.find("fire_key = J\n"), std::string::npos) << text;
  EXPECT_NE(text.find("scaling = fill\n"), std::string::npos) << text;
}

// The online scores' settings came later: a file without them stays as it
// was while they are at their defaults, and keeps them once set; an address
// that is not a plain http:// one is refused.
TEST_F(SettingsTest, LaterSettingsJoinTheFileOnlyOnceSet) {
  const std::string before = "[settings]\nmusic_volume = 4\n";
  WriteSettingsFile(before);
  LoadSettings();
  ChangeSetting(kSettingMusicVolume, 5);
  const std::string written = ReadText(FilePath());
  EXPECT_NE(written.find("reduce_flashing = off\n"), std::string::npos) << written;
  EXPECT_EQ(written.find("online_scores"), std::string::npos) << written;
  EXPECT_EQ(written.find("score_server"), std::string::npos) << written;

  ChangeSetting(kSettingOnlineScores, 1);
  ChangeTextSetting(kSettingScoreServer, "http://scores.example:8081/board");
  SetDefaultSettings();
  LoadSettings();
  EXPECT_EQ(Setting(kSettingOnlineScores), 1);
  EXPECT_EQ(SettingString(kSettingScoreServer), "http://scores.example:8081/board");
  // Back at the default, a setting the file holds stays in it.
  ChangeSetting(kSettingOnlineScores, 0);
  EXPECT_NE(ReadText(FilePath()).find("online_scores = off\n"), std::string::npos) << ReadText(FilePath());

  for (const char* bad : {"https://a", "ftp://a", "http://", "http:///path", "http://a b", "http://a\x7f",
                          "scores.example"}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(IsServerAddress(bad));
    WriteSettingsFile(std::string("[settings]\nscore_server = ") + bad + "\n");
    testing::internal::CaptureStderr();
    LoadSettings();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(SettingString(kSettingScoreServer), kSettingRows[kSettingScoreServer].defaultText);
    EXPECT_NE(err.find("score_server"), std::string::npos) << err;
  }
  EXPECT_FALSE(IsServerAddress("http://" + std::string(200, 'a')));
  EXPECT_TRUE(IsServerAddress("http://[::1]:8081/"));
}

// The touch controls' settings join the file only once changed (a build
// without touch controls writes the file it always wrote), and then stay.
TEST_F(SettingsTest, TouchSettingsAreWrittenOnlyOnceChanged) {
  LoadSettings();
  ChangeSetting(kSettingMusicVolume, 4);
  EXPECT_EQ(ReadText(FilePath()).find("touch"), std::string::npos) << ReadText(FilePath());

  ChangeSetting(kSettingTouchDrag, 2);
  const std::string text = ReadText(FilePath());
  EXPECT_NE(text.find("touch_drag = 1.5\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("touch_button"), std::string::npos) << text;
  SetDefaultSettings();
  LoadSettings();
  EXPECT_EQ(Setting(kSettingTouchDrag), 2);
  EXPECT_EQ(Setting(kSettingMusicVolume), 4);

  // A default value the file holds stays in it.
  WriteSettingsFile("[settings]\ntouch_buttons = right\n");
  LoadSettings();
  ChangeSetting(kSettingMusicVolume, 3);
  EXPECT_NE(ReadText(FilePath()).find("touch_buttons = right\n"), std::string::npos) << ReadText(FilePath());
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
      {"scaling = \x1b[2Jsharp", kSettingScaling},
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
    EXPECT_EQ(err.find('\x1b'), std::string::npos) << "control bytes are shown escaped";
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

// Lines the game does not know come back exactly as the player wrote them,
// and do not change what the next start reads (a stray "= my note" written
// back as " = my note" would continue the line above it in some readers).
TEST_F(SettingsTest, AnyKeptLineReadsBackTheSameAfterAWrite) {
  const std::string longLine = "note = " + std::string(300, 'x') + " reduce_flashing = off";
  const std::string lines[] = {
      "= my note",
      longLine,
      "motto =;not a comment",
      "\fpage = two\tthree\t",
      "  indented = yes ; with a comment",
      "just words",
      "[unclosed",
      "reduce_flashing",
  };
  for (const std::string& line : lines) {
    SCOPED_TRACE(line);
    WriteSettingsFile("[settings]\nreduce_flashing = on\n" + line + "\nmusic_volume = 4\n");
    testing::internal::CaptureStderr();
    LoadSettings();
    testing::internal::GetCapturedStderr();
    ASSERT_EQ(Setting(kSettingReduceFlashing), 1);
    ChangeSetting(kSettingEffectsVolume, 3);
    const std::string written = ReadText(FilePath());
    EXPECT_NE(written.find("\n" + line + "\n"), std::string::npos) << written;

    SetDefaultSettings();
    testing::internal::CaptureStderr();
    LoadSettings();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.find("not a valid value"), std::string::npos) << err;
    EXPECT_EQ(Setting(kSettingReduceFlashing), 1);
    EXPECT_EQ(Setting(kSettingMusicVolume), 4);
    EXPECT_EQ(Setting(kSettingEffectsVolume), 3);
    ChangeSetting(kSettingEffectsVolume, 2);
    ChangeSetting(kSettingEffectsVolume, 3);
    EXPECT_EQ(ReadText(FilePath()), written) << "a second write changes nothing";
  }
}

// A settings file kept elsewhere through a link stays there.
TEST_F(SettingsTest, LinkedFileIsWrittenWhereItPoints) {
  WriteText(home + "/kept.ini", "[settings]\nmusic_volume = 2\n");
  int error = 0;
  ASSERT_TRUE(files::MakeFolders(home + "/tessivane", &error));
  ASSERT_EQ(symlink("../kept.ini", FilePath().c_str()), 0);
  LoadSettings();
  EXPECT_EQ(Setting(kSettingMusicVolume), 2);
  ChangeSetting(kSettingMusicVolume, 6);
  struct stat st;
  ASSERT_EQ(lstat(FilePath().c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_NE(ReadText(home + "/kept.ini").find("music_volume = 6\n"), std::string::npos);
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
  for (int i = 0; i < kSettingAllCount; ++i)
    EXPECT_EQ(settingValues[i], kSettingRows[i].defaultValue) << kSettingRows[i].name;
  EXPECT_NE(ReadText(FilePath()).find("bomb_key = S\n"), std::string::npos);
}

}  // namespace

namespace {

TEST_F(SettingsTest, ABindingNeverLeavesTwoControlsOnOneKeyOrButton) {
  struct Case {
    const char* name;
    SettingId id;
    int32_t value;
    BindOutcome outcome;
    SettingId other;        // Swapped: the row that took the old value
    int32_t otherAfter;     // ... and its value afterwards
  };
  const Case cases[] = {
      {"a free key is bound", kSettingFireKey, 'J', BindOutcome::Bound, kSettingFireKey, 'J'},
      {"second fire on the bomb key swaps them", kSettingFireKey2, kVkS, BindOutcome::Swapped, kSettingBombKey, kVkZ},
      {"bomb on the fire key swaps them", kSettingBombKey, kVkA, BindOutcome::Swapped, kSettingFireKey, kVkS},
      {"Escape is never a fire key", kSettingFireKey, kVkEscape, BindOutcome::Refused, kSettingFireKey, kVkA},
      {"nor a bomb key", kSettingBombKey2, kVkEscape, BindOutcome::Refused, kSettingBombKey2, kVkX},
      {"Pause always pauses", kSettingBombKey, kVkPause, BindOutcome::Refused, kSettingBombKey, kVkS},
      {"E asks for an easy game on the title: not a fire key", kSettingFireKey2, kVkE, BindOutcome::Refused,
       kSettingFireKey2, kVkZ},
      {"nor H, P or R a bomb key", kSettingBombKey, kVkR, BindOutcome::Refused, kSettingBombKey, kVkS},
      {"nor B, the table's score board key", kSettingFireKey, kVkB, BindOutcome::Refused, kSettingFireKey, kVkA},
      {"the pause key may be Pause", kSettingPauseKey, kVkPause, BindOutcome::Bound, kSettingPauseKey, kVkPause},
      {"or P", kSettingPauseKey, kVkP, BindOutcome::Bound, kSettingPauseKey, kVkP},
      {"pause on the fire key: fire would get Escape, refused", kSettingPauseKey, kVkA, BindOutcome::Refused,
       kSettingFireKey, kVkA},
      {"an unbindable key", kSettingFireKey, 0x70, BindOutcome::Refused, kSettingFireKey, kVkA},
      {"pad fire on the bomb button swaps them", kSettingPadFire, 1, BindOutcome::Swapped, kSettingPadBomb, 0},
      {"pad pause on a free button", kSettingPadPause, 5, BindOutcome::Bound, kSettingPadPause, 5},
      {"not a control", kSettingMusicVolume, 3, BindOutcome::Refused, kSettingMusicVolume, 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetDefaultSettings();
    const BindResult r = BindControl(c.id, c.value);
    EXPECT_EQ(r.outcome, c.outcome);
    if (c.outcome == BindOutcome::Swapped) {
      EXPECT_EQ(r.other, c.other);
    }
    if (c.outcome != BindOutcome::Refused) {
      EXPECT_EQ(Setting(c.id), c.value);
    }
    EXPECT_EQ(Setting(c.other), c.otherAfter);
    // Whatever happened, no two keys and no two pad buttons are shared.
    for (int a = kSettingFireKey; a <= kSettingPauseKey; ++a)
      for (int b = a + 1; b <= kSettingPauseKey; ++b)
        EXPECT_NE(settingValues[a], settingValues[b]) << kSettingRows[a].name << " " << kSettingRows[b].name;
    for (int a = kSettingPadFire; a <= kSettingPadPause; ++a)
      for (int b = a + 1; b <= kSettingPadPause; ++b) EXPECT_NE(settingValues[a], settingValues[b]);
  }
  // A swap is written as one change.
  SetDefaultSettings();
  BindControl(kSettingFireKey2, kVkS);
  const std::string text = ReadText(FilePath());
  EXPECT_NE(text.find("fire_key_2 = S\n"), std::string::npos) << text;
  EXPECT_NE(text.find("bomb_key = Z\n"), std::string::npos) << text;
}

TEST_F(SettingsTest, AFileWithSharedControlsGivesThoseControlsTheirDefaults) {
  struct Case {
    const char* lines;
    SettingId first, second;       // two settings the file gives
    int32_t firstAfter, secondAfter;  // ... and their values once loaded
    int lines_on_stderr;
  };
  const Case cases[] = {
      {"fire_key_2 = S\nbomb_key = S\n", kSettingFireKey2, kSettingBombKey, kVkZ, kVkS, 1},
      {"fire_key = Escape\npause_key = P\n", kSettingFireKey, kSettingPauseKey, kVkA, kVkEscape, 1},
      {"pad_fire = 2\npad_bomb = 2\nfire_key = J\n", kSettingPadFire, kSettingFireKey, 0, 'J', 1},
      {"fire_key = J\nbomb_key = K\npad_pause = rb\n", kSettingFireKey, kSettingBombKey, 'J', 'K', 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines);
    WriteSettingsFile(std::string("[settings]\nmusic_volume = 4\n") + c.lines);
    SetDefaultSettings();
    testing::internal::CaptureStderr();
    LoadSettings();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(Setting(kSettingMusicVolume), 4) << "the other settings stand";
    EXPECT_EQ(Setting(c.first), c.firstAfter);
    EXPECT_EQ(Setting(c.second), c.secondAfter);
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), c.lines_on_stderr) << err;
  }
}

}  // namespace
