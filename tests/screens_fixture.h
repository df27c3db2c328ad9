// Shared set-up for the tests of the in-game screens: a fresh game in a
// temporary data folder, the keys of a new program, and a recorder that notes
// the world at every wait of the virtual clock (each paced frame ends in one).
#pragma once

#include <stdlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "data/score_file.h"
#include "platform/headless/headless.h"
#include "platform/input.h"
#include "presentation/ending.h"
#include "tests/support/game_fixture.h"
#include "world/world_state.h"

struct FrameSample {
  uint32_t from, to;  // the wait, on the virtual clock
  uint32_t after;     // the clock once the wait hook has run (it may jump)
  int16_t sequenceTimer;
  int16_t bannerX;
  int16_t line2X;
  float playerX, playerY;
  int16_t bombRadius;
  uint8_t battlePhase;
  uint8_t stageNo;
  uint8_t gameMode;
  uint8_t enemyState0, finFadeLevel;
  uint8_t shipPose, poseFrame;
  int32_t sceneStartMs;
};

inline std::vector<FrameSample>& RecordedFrames() {
  static std::vector<FrameSample> samples;
  return samples;
}
// Run at every wait after the sample is noted; may move the clock on.
inline void (*&WaitHook())(const FrameSample&) {
  static void (*hook)(const FrameSample&) = nullptr;
  return hook;
}

inline void NoteWait(uint32_t from, uint32_t to) {
  const FrameSample s{from,          to,           to,         sequenceTimer, bannerX,     line2X,
                      playerX,       playerY,      bombRadius, battlePhase,   stageNo,     gameMode,
                      enemyState[0], finFadeLevel, shipPose,   poseFrame,     sceneStartMs};
  RecordedFrames().push_back(s);
  if (WaitHook()) {
    WaitHook()(s);
    RecordedFrames().back().after = headless::Clock();
  }
}

class ScreenTest : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    char pattern[] = "/tmp/tessivane_screens_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    headless::SetBaseDirectory(dir_);
    SetDefaultScoreTable();
    buttonKeys[0] = 65;
    buttonKeys[1] = 83;
    buttonKeys[2] = 65;
    buttonKeys[3] = 83;
    RecordedFrames().clear();
    WaitHook() = nullptr;
  }
  void TearDown() override {
    headless::SetClockObserver(nullptr);
    WaitHook() = nullptr;
    std::system(("rm -rf '" + dir_ + "'").c_str());
  }
  // Notes a sample at every wait from now on.
  static void Record() { headless::SetClockObserver(NoteWait); }
  std::string ScorePath() const { return dir_ + "/Qapo.sco"; }
  // The record as it is on disk now (false when there is none).
  bool LoadRecordFromDisk() const {
    FILE* f = std::fopen(ScorePath().c_str(), "rb");
    if (!f) return false;
    std::vector<uint8_t> bytes;
    int c;
    while ((c = std::fgetc(f)) != EOF) bytes.push_back(uint8_t(c));
    std::fclose(f);
    return DecodeScoreRecord(bytes.data(), bytes.size());
  }

  std::string dir_;
};
