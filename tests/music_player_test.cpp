// The music player's commands and its once-a-second restart of an ended tune,
// on the recording device of the headless platform.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/main_loop.h"
#include "enemies/stage_flow.h"
#include "platform/clock.h"
#include "platform/headless/headless.h"
#include "platform/music.h"
#include "tests/support/game_fixture.h"
#include "world/world_state.h"

namespace {

using Commands = std::vector<std::string>;

class MusicPlayer : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    headless::SetBaseDirectory("/opt/tv");
    // The window timer ticks once a second while anything waits.
    SetWindowEventHandlers(nullptr, Timer1_Timer);
  }
  // Commands recorded since the last call.
  Commands Take() {
    const auto& all = headless::MusicCommands();
    Commands out(all.begin() + long(seen_), all.end());
    seen_ = all.size();
    return out;
  }
  size_t seen_ = 0;
};

TEST_F(MusicPlayer, SwitchesSendTheirCommandsInOrder) {
  SwitchMusic("pokkap.mid");
  EXPECT_EQ(Take(), (Commands{"stop", "close", "close", "open /opt/tv/QapoMidi/pokkap.mid", "play"}));
  EXPECT_EQ(musicLooping, -1);

  // The priming tune is opened, started and dropped before the wanted one.
  SwitchMusicPrimed("select.mid", "gogogo.Mid");
  EXPECT_EQ(Take(), (Commands{"stop", "close", "close", "open /opt/tv/QapoMidi/select.mid", "play", "stop",
                              "close", "close", "open /opt/tv/QapoMidi/gogogo.Mid", "play"}));
  EXPECT_EQ(musicLooping, -1);

  MusicStop();
  EXPECT_EQ(musicLooping, 0);
  MusicPlay();
  EXPECT_EQ(musicLooping, -1);
  MusicClose();
  EXPECT_EQ(musicLooping, 0);
  MusicOpen("fly.mid");
  EXPECT_EQ(musicLooping, 0);
  EXPECT_EQ(Take(), (Commands{"stop", "play", "close", "close", "open /opt/tv/QapoMidi/fly.mid"}));
}

TEST_F(MusicPlayer, StageMusicOpensOnlyTheTunesOfStagesOneToSeven) {
  const char* tunes[] = {nullptr,      "mukai.mid",  "fly.mid",       "geki.mid", "get.mid",
                         "yozora.mid", "select.mid", "tsubasawo.mid", nullptr,    nullptr};
  for (int stage = 0; stage <= 9; ++stage) {
    stageNo = uint8_t(stage);
    OpenStageMusic();
    const Commands want =
        tunes[stage] ? Commands{"close", std::string("open /opt/tv/QapoMidi/") + tunes[stage]} : Commands{};
    EXPECT_EQ(Take(), want) << "stage " << stage;
  }
}

TEST_F(MusicPlayer, AnEndedTuneStartsAgainWithinASecond) {
  gameMode = 0;
  SwitchMusic("geki.mid");
  Take();
  WaitMs(2500);
  EXPECT_EQ(Take(), Commands{}) << "a tune still playing is left alone";

  headless::FinishTune();
  const uint32_t endedAt = headless::Clock();
  while (Take().empty() && headless::Clock() - endedAt <= 1000) WaitMs(10);
  EXPECT_LE(headless::Clock() - endedAt, 1000u);
  EXPECT_EQ(musicLooping, -1);

  // It plays again, so nothing more happens until it ends once more.
  WaitMs(3000);
  EXPECT_EQ(Take(), Commands{});
  headless::FinishTune();
  WaitMs(1000);
  EXPECT_EQ(Take(), Commands{"replay"});
}

TEST_F(MusicPlayer, NoRestartAfterStopOrInModesThreeAndNine) {
  // Stopped by the game: stopped, but never restarted.
  gameMode = 0;
  SwitchMusic("mukai.mid");
  MusicStop();
  Take();
  WaitMs(5000);
  EXPECT_EQ(Take(), Commands{});

  // Ended by itself while the title (3) or the ending/selection (9) runs.
  for (uint8_t mode : {3, 9}) {
    gameMode = mode;
    SwitchMusic("gogogo.Mid");
    headless::FinishTune();
    Take();
    WaitMs(5000);
    EXPECT_EQ(Take(), Commands{}) << "mode " << int(mode);
  }
  // The same ended tune does restart once play resumes in another mode.
  gameMode = 0;
  WaitMs(1000);
  EXPECT_EQ(Take(), Commands{"replay"});
}

TEST_F(MusicPlayer, StageEightAfterACloseLeavesTheGameSilent) {
  // Stage 8 has no stage tune: the play that follows finds nothing open.
  gameMode = 0;
  SwitchMusic("m-fight.mid");
  MusicStop();
  MusicClose();
  stageNo = 8;
  OpenStageMusic();
  MusicPlay();
  Take();
  EXPECT_EQ(musicLooping, -1);
  headless::FinishTune();
  WaitMs(3000);
  EXPECT_EQ(Take(), Commands{}) << "a closed device reports no ended tune";
}

}  // namespace
