#include "app/pause.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/main_loop.h"
#include "app/settings.h"
#include "app/state_registry.h"
#include "data/score_file.h"
#include "enemies/stage_flow.h"
#include "platform/headless/headless.h"
#include "platform/input.h"
#include "platform/keys.h"
#include "tests/support/game_fixture.h"
#include "tests/support/screen_runner.h"
#include "world/world_state.h"

namespace {

// Globals that follow the clock rather than the game.
bool FollowsTheClock(const char* name) {
  for (const char* n : {"frameStartMs", "frameEndMs", "frameElapsedMs", "frameCount", "framesLastSecond",
                        "frameCountStart", "sceneStartMs"})
    if (std::strcmp(n, name) == 0) return true;
  return false;
}

// Every global of the game but the clock's and the pause flag, as "name=bytes" lines.
using State = std::vector<std::string>;
State GameState() {
  State state;
  for (int i = 0; i < kStateEntryCount; ++i) {
    const StateEntry& e = kStateEntries[i];
    // The clock's globals, and the pause's own flag (checked on its own).
    if (FollowsTheClock(e.name) || std::strcmp(e.name, "paused") == 0) continue;
    std::string s = std::string(e.name) + "=";
    if (e.type == StateType::Str) {
      for (int k = 0; k < e.count; ++k) s += static_cast<const std::string*>(e.data)[k] + '\0';
    } else {
      const size_t size = e.type == StateType::U8 ? 1 : e.type == StateType::I16 ? 2 : 4;
      s.append(static_cast<const char*>(e.data), size * size_t(e.count));
    }
    state.push_back(s);
  }
  return state;
}

// The names of the globals that differ, or "" when none does.
std::string Differences(const State& a, const State& b) {
  std::string names;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i)
    if (a[i] != b[i]) names += a[i].substr(0, a[i].find('=')) + " ";
  return names;
}

// Stage 1 in play, as START leaves it; settings changed by a test are
// written to a folder of the test's own.
void StartPlay() {
  ResetEverything();
  UsePrivateDefaultSettings("pause");
  joystickId = -1;
  paused = 0;
  gameMode = 0;
  stageNo = 1;
  BuildStageBackground();
  playerX = 150;
  playerY = 350;
  shield = 3;
  bombs = 2;
  bannerTimer = 82;
  bannerX = 117;
  headless::SetClock(1000);
  headless::SetStopTime(1000 + 3000 * kFrame);  // a pause that never ends fails
}

// Runs main loop passes for at most `frames` frames of the clock from now.
Ended RunPasses(uint32_t frames) {
  headless::SetStopTime(headless::Clock() + frames * kFrame);
  try {
    for (;;) MainLoopPass();
  } catch (const headless::StopReached&) {
    return Ended::Stopped;
  } catch (const MainLoopEntry&) {
    return Ended::EnteredMainLoop;
  } catch (const headless::ProcessEnded&) {
    return Ended::ProgramEnded;
  }
}

// A key held for `frames` frames from `from` ms after now.
void HoldFor(int vk, uint32_t from, uint32_t frames) {
  const uint32_t now = headless::Clock();
  headless::HoldKey(vk, now + from, now + from + frames * kFrame);
}

constexpr int kPasses = 60;
constexpr int kPauseAt = 30;

// Plays kPasses frames: fire for a while, a move, a fresh fire press late.
// `beforePause` runs before pass kPauseAt (it may arrange a pause).
std::vector<State> Play(void (*beforePause)()) {
  std::vector<State> states;
  for (int i = 0; i < kPasses; ++i) {
    headless::SetKeyDown(kVkA, i >= 5 && i < 15);
    headless::SetKeyDown(kVkLeft, i >= 20 && i < 28);
    headless::SetKeyDown(kVkS, i == 50);
    if (i >= 45 && i < 49) headless::SetKeyDown(kVkA, true);
    if (i == kPauseAt && beforePause) beforePause();
    MainLoopPass();
    states.push_back(GameState());
  }
  return states;
}

State stateWhenPaused, stateInPause;
uint64_t presentsWhenPaused, presentsInPause;
int16_t pausedFlagInPause;

void LookInsideThePause(uint32_t, uint32_t to) {
  if (paused && presentsWhenPaused == 0) {
    presentsWhenPaused = headless::PresentCount();
  }
  if (paused && to >= 1000 + (kPauseAt + 8) * kFrame && stateInPause.empty()) {
    stateInPause = GameState();
    presentsInPause = headless::PresentCount();
    pausedFlagInPause = paused;
  }
}

// Escape, ten menu frames, then fire (A) chooses "Resume" and stays held for
// about eight frames of play.
void PauseWithFireHeldThroughTheResume() {
  stateWhenPaused = GameState();
  presentsWhenPaused = 0;
  stateInPause.clear();
  headless::SetClockObserver(LookInsideThePause);
  HoldFor(kVkEscape, 0, 1);
  HoldFor(kVkA, 10 * kFrame, 10);
}

using PauseTest = GameTest;

TEST_F(PauseTest, WorldStandsStillAndResumesWithTheNextFrameWithoutALeakedPress) {
  StartPlay();
  const std::vector<State> reference = Play(nullptr);
  StartPlay();
  const std::vector<State> withPause = Play(PauseWithFireHeldThroughTheResume);
  headless::SetClockObserver(nullptr);

  ASSERT_FALSE(stateInPause.empty()) << "the pause did not last";
  EXPECT_EQ(pausedFlagInPause, 1);
  EXPECT_EQ(Differences(stateInPause, stateWhenPaused), "") << "the world moved during the pause";
  EXPECT_GT(presentsInPause, presentsWhenPaused + 5) << "the paused picture is drawn every frame";
  EXPECT_EQ(paused, 0);
  // Frame for frame the same game: no burst after the pause, the held fire
  // ignored until released, and the later presses acting as before.
  ASSERT_EQ(reference.size(), withPause.size());
  for (size_t i = 0; i < reference.size(); ++i)
    ASSERT_EQ(Differences(reference[i], withPause[i]), "") << "pass " << i;
  EXPECT_NE(Differences(reference[44], reference[49]), "") << "the late fire press shows in the game";
}

TEST_F(PauseTest, PauseInputsAndModes) {
  struct Case {
    const char* name;
    uint8_t mode;
    int vk;               // a key pressed, or -1
    uint32_t padButtons;  // pad buttons held
    int32_t pauseKey;     // the pause key setting
    bool pauses;
  };
  const Case cases[] = {
      {"Escape in play", 0, kVkEscape, 0, kVkEscape, true},
      {"Pause in play", 0, kVkPause, 0, kVkEscape, true},
      {"pad Start in play", 0, -1, 1u << 4, kVkEscape, true},
      {"Escape in the death fade", 1, kVkEscape, 0, kVkEscape, true},
      {"Escape in the fade back", 2, kVkEscape, 0, kVkEscape, true},
      {"Escape after a continue", 4, kVkEscape, 0, kVkEscape, true},
      {"rebound key P", 0, kVkP, 0, kVkP, true},
      {"Escape once P is the pause key", 0, kVkEscape, 0, kVkP, false},
      {"Pause still pauses with P", 0, kVkPause, 0, kVkP, true},
      {"fire does not pause", 0, kVkA, 0, kVkEscape, false},
      {"pad button 1 does not pause", 0, -1, 1u, kVkEscape, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StartPlay();
    ChangeSetting(kSettingPauseKey, c.pauseKey);
    bannerTimer = 1;
    gameMode = c.mode;
    deathFade = 100;
    if (c.padButtons) {
      headless::SetJoystickPresent(true);
      platform::JoyState pad;
      pad.buttons = c.padButtons;
      headless::SetJoystick(0, 100000, pad);
      DetectJoystick(16384);
    }
    FlushInput();
    if (c.vk >= 0) HoldFor(c.vk, 0, 1);
    ReadInput();  // the pad is read once a frame
    headless::SetStopTime(headless::Clock() + 5 * kFrame);
    bool stopped = false;
    try {
      PauseIfAsked();
    } catch (const headless::StopReached&) {
      stopped = true;
    }
    EXPECT_EQ(stopped, c.pauses) << "held in the pause menu";
    EXPECT_EQ(paused, c.pauses ? 1 : 0);
  }
}

TEST_F(PauseTest, EscapeStillHeldAfterResumingDoesNotPauseAgain) {
  StartPlay();
  HoldFor(kVkEscape, 0, 1);
  HoldFor(kVkEscape, 5 * kFrame, 6);  // resumes, and is held on into play
  const uint8_t tickBefore = frameTick;
  EXPECT_EQ(RunPasses(30), Ended::Stopped);
  EXPECT_EQ(paused, 0);
  EXPECT_NE(frameTick, tickBefore) << "play went on";
  HoldFor(kVkEscape, 0, 1);  // a new press pauses again
  headless::SetStopTime(headless::Clock() + 5 * kFrame);
  EXPECT_THROW(MainLoopPass(), headless::StopReached);
  EXPECT_EQ(paused, 1);
}

uint32_t lookAt;
int pausedThen;
void NotePaused(uint32_t, uint32_t to) {
  if (to >= lookAt && pausedThen < 0) pausedThen = paused;
}

TEST_F(PauseTest, FocusLostInPlayShowsThePauseUntilThePlayerResumes) {
  StartPlay();
  const uint32_t now = headless::Clock();
  const uint8_t tickBefore = frameTick;
  headless::SetUnfocused(now, now + 5 * kFrame);
  HoldFor(kVkEscape, 15 * kFrame, 1);
  lookAt = now + 12 * kFrame;  // the focus is back since seven frames
  pausedThen = -1;
  headless::SetClockObserver(NotePaused);
  EXPECT_EQ(RunPasses(30), Ended::Stopped);
  headless::SetClockObserver(nullptr);
  EXPECT_EQ(pausedThen, 1);
  EXPECT_EQ(paused, 0) << "Escape resumed";
  // Menu frames 0..14; Escape in frame 15 resumes, and play runs frames 15..29.
  EXPECT_EQ(uint8_t(frameTick - tickBefore), 15) << "play stood still through the pause";
}

// Down twice and Enter: "Quit to title".
void ChooseQuitToTitle() {
  HoldFor(kVkEscape, 0, 1);
  HoldFor(kVkDown, 3 * kFrame, 1);
  HoldFor(kVkDown, 5 * kFrame, 1);
  HoldFor(kVkEnter, 7 * kFrame, 1);
}

uint32_t titleMenuAtMs;
void NoteTheTitleMenu(uint32_t from, uint32_t) {
  if (gameMode == kModeTitleMenu && titleMenuAtMs == 0) titleMenuAtMs = from;
}

TEST_F(PauseTest, QuitToTitleGoesThroughTheNameEntryWhenTheScoreRanksStraightToTheTitleMenu) {
  struct Case {
    float score;
    bool asked;
  };
  for (const Case& c : {Case{123450, true}, Case{10, false}}) {
    SCOPED_TRACE(c.score);
    StartPlay();
    for (int i = 0; i < kHiScoreEntries; ++i) {
      hiScores[i] = float(50000 - 1000 * i);
      hiNames[i] = "OLD";
    }
    score = c.score;
    headless::QueueName("NEW");
    const uint32_t chosenAt = headless::Clock() + 7 * kFrame;
    ChooseQuitToTitle();
    titleMenuAtMs = 0;
    headless::SetClockObserver(NoteTheTitleMenu);
    EXPECT_EQ(RunPasses(200), Ended::Stopped) << "the title menu waits for the player";
    headless::SetClockObserver(nullptr);
    EXPECT_EQ(gameMode, kModeTitleMenu);
    EXPECT_EQ(paused, 0);
    ASSERT_NE(titleMenuAtMs, 0u) << "the title menu was reached";
    // The name entry takes no game time here; the way back takes about 1.6 s.
    EXPECT_LT(titleMenuAtMs - chosenAt, 3000u);
    bool asked = false;
    for (const headless::Message& m : headless::Messages()) asked |= m.kind == "name";
    EXPECT_EQ(asked, c.asked);
    EXPECT_EQ(hiNames[0], c.asked ? "NEW" : "OLD");
    for (const std::string& command : headless::MusicCommands())
      EXPECT_EQ(command.find("se12.mid"), std::string::npos) << "no game-over tune";
    EXPECT_EQ(headless::MusicCommands().back(), "play");
    EXPECT_NE(headless::MusicCommands()[headless::MusicCommands().size() - 2].find("opening2.mid"),
              std::string::npos)
        << "the title tune plays";
    EXPECT_EQ(score, 0.0f) << "the world was reset";
  }
}

TEST_F(PauseTest, QuitGameEndsTheProgramWithoutAQuestion) {
  StartPlay();
  HoldFor(kVkEscape, 0, 1);
  HoldFor(kVkUp, 3 * kFrame, 1);  // from Resume up to the last item
  HoldFor(kVkA, 5 * kFrame, 1);
  EXPECT_EQ(RunPasses(100), Ended::ProgramEnded);
  for (const headless::Message& m : headless::Messages()) EXPECT_NE(m.kind, "question");
}

}  // namespace
