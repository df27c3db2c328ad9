#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/main_loop.h"
#include "app/startup.h"
#include "data/map_file.h"
#include "platform/clock.h"
#include "platform/headless/headless.h"
#include "platform/input.h"
#include "platform/keys.h"
#include "tests/support/game_fixture.h"
#include "world/world_state.h"

namespace {

enum class Ending { Stopped, Ended };

class StartUpTest : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    dir_ = testing::TempDir() + "tessivane_startup_" + std::to_string(getpid()) + "_" +
           testing::UnitTest::GetInstance()->current_test_info()->name();
    mkdir(dir_.c_str(), 0755);
    std::remove((dir_ + "/Qapo.map").c_str());
    std::remove((dir_ + "/Qapo.sco").c_str());
    headless::SetBaseDirectory(dir_);
  }
  void WriteMap(const std::vector<uint8_t>& bytes) {
    std::ofstream out(dir_ + "/Qapo.map", std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }
  static std::vector<uint8_t> Pattern(size_t n) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = uint8_t(i * 7 + 1);
    return v;
  }
  // Runs the program from its start until the virtual clock reaches
  // `stopAt` or the program ends itself.
  Ending Run(uint32_t stopAt = 1) {
    headless::SetStopTime(stopAt);
    try {
      StartUp();
    } catch (const headless::StopReached&) {
      headless::SetStopTime(0);
      return Ending::Stopped;
    } catch (const headless::ProcessEnded&) {
      return Ending::Ended;
    }
    ADD_FAILURE() << "StartUp returned";
    return Ending::Ended;
  }
  std::string dir_;
};

TEST_F(StartUpTest, MapFileOfAnyLengthFillsTheMap) {
  const struct { size_t length; } cases[] = {{size_t(kMapFileSize)}, {size_t(kMapFileSize) + 500}, {100}, {0}};
  for (const auto& c : cases) {
    std::memset(mapData, 0xAA, sizeof mapData);
    const std::vector<uint8_t> bytes = Pattern(c.length);
    WriteMap(bytes);
    ASSERT_EQ(Run(), Ending::Stopped) << c.length;
    for (size_t i = 0; i < size_t(kMapFileSize); ++i) {
      const uint8_t want = i < bytes.size() ? bytes[i] : 0;
      if (mapData[i] != want) {
        ADD_FAILURE() << "length " << c.length << ": byte " << i << " is " << int(mapData[i]);
        break;
      }
    }
    EXPECT_TRUE(headless::Messages().empty());
    SetUp();
  }
}

TEST_F(StartUpTest, RefusalsShowTheirMessageAndEnd) {
  const struct {
    bool otherCopy, mapPresent;
    const char* message;
  } cases[] = {
      {true, true, "多重起動はできません。"},
      {false, false, "マップデータが見つかりません"},
  };
  for (const auto& c : cases) {
    SetUp();
    headless::SetSingleInstanceFree(!c.otherCopy);
    if (c.mapPresent) WriteMap(Pattern(size_t(kMapFileSize)));
    ASSERT_EQ(Run(), Ending::Ended) << c.message;
    ASSERT_EQ(headless::Messages().size(), 1u);
    const headless::Message& m = headless::Messages()[0];
    EXPECT_EQ(m.kind, "message");
    EXPECT_EQ(m.text, c.message);
    EXPECT_EQ(m.title, "Tessivane");
    EXPECT_TRUE(m.critical);
  }
}

TEST_F(StartUpTest, ScreenSaverOffWhileRunningAndRestoredOnEveryExit) {
  enum Exit { OtherCopy, MissingMap, CloseYes };
  for (Exit exit : {OtherCopy, MissingMap, CloseYes}) {
    for (bool wasOn : {true, false}) {
      SetUp();
      headless::SetScreenSaver(wasOn);
      headless::SetSingleInstanceFree(exit != OtherCopy);
      if (exit != MissingMap) WriteMap(Pattern(size_t(kMapFileSize)));
      if (exit == CloseYes) {
        ASSERT_EQ(Run(), Ending::Stopped);
        EXPECT_FALSE(platform::IsScreenSaverEnabled()) << "off while the game runs";
        headless::QueueAnswer(true);
        headless::RequestCloseAt(headless::Clock() + 5);
        EXPECT_THROW(WaitMs(43), headless::ProcessEnded);
      } else {
        ASSERT_EQ(Run(), Ending::Ended);
      }
      EXPECT_EQ(platform::IsScreenSaverEnabled(), wasOn) << "exit " << exit << " was on " << wasOn;
    }
  }
}

TEST_F(StartUpTest, CloseAnsweredNoResumesTheFrameWithInputFlushed) {
  WriteMap(Pattern(size_t(kMapFileSize)));
  ASSERT_EQ(Run(), Ending::Stopped);
  const uint32_t t = headless::Clock();
  // A frame that has read fire and then waits; the close button is clicked
  // during its wait, after H was tapped.
  frameStartMs = ClockMs();
  fireBits = 5;
  headless::HoldKey(kVkH, t + 2, t + 4);
  headless::RequestCloseAt(t + 5);
  headless::QueueAnswer(false);
  PaceFrame(kFramePeriodMs);

  ASSERT_EQ(headless::Messages().size(), 1u);
  const headless::Message& m = headless::Messages()[0];
  EXPECT_EQ(m.kind, "question");
  EXPECT_EQ(m.text, "終了しますか？");
  EXPECT_EQ(m.title, "Tessivane");
  EXPECT_FALSE(m.critical);
  EXPECT_EQ(m.answer, "no");
  EXPECT_EQ(headless::Clock(), t + 43) << "the interrupted wait goes on to the frame's end";
  EXPECT_EQ(fireBits, 0);
  EXPECT_FALSE(KeyPressed(kVkH)) << "a tap made before the answer does not act afterwards";
}

}  // namespace
