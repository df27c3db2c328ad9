// A snapshot of the game at the top of a main-loop pass: every registered
// global but the player's own settings, what the modules keep beside them
// (the random generator, the window timer, the input's held presses, the
// music, the digest count, the recorder's game), which background the
// picture was built on, and where playback stood. Restored at the top of a
// pass, the game goes on exactly as it did from there: the replay viewer's
// seek and take-over rest on it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/practice.h"
#include "app/replay_recorder.h"
#include "app/state_digest.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "platform/machine.h"
#include "platform/music.h"

struct StateSnapshot {
  bool withSettings = false;         // the player's settings are among the globals
  std::vector<uint8_t> values;       // the fixed-size globals, in registry order
  std::vector<std::string> strings;  // the string globals, in registry order
  uint32_t randomState = 0;
  WindowTimerState timer{};
  InputHiddenState input{};
  MusicState music;
  DigestClock digestClock{};
  RecorderPlayState recorder{};
  PracticeState practice{};
  int background = 0;
  machine::PlaybackMark mark{};
};

// `withSettings`: the player's settings too (the state a replay's game starts
// from: the settings it was played with).
void TakeSnapshot(StateSnapshot* snapshot, bool withSettings = false);
// Puts the game back as `snapshot` holds it, playback included; the picture's
// background is built again.
void RestoreSnapshot(const StateSnapshot& snapshot);
// The same but where playback stands.
void RestoreSnapshotState(const StateSnapshot& snapshot);

// A snapshot as bytes (the same on every build), and back: false when the
// bytes are damaged or were written by a game whose globals are laid out
// otherwise.
std::string EncodeSnapshot(const StateSnapshot& snapshot);
bool DecodeSnapshot(const std::string& bytes, StateSnapshot* snapshot);
