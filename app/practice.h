// Practice: a stage (or its boss) played from the practice menu, or the game
// of a replay taken over at any moment of it. It plays by the game's own
// rules, but it never writes the score file, never awards medals and is never
// ranked (its replay is marked practice). It ends when the ship is lost, when
// the stage is cleared, or from the pause menu; then the player tries again
// from the same start or goes back (to the practice menu, or to the replay at
// the moment it was taken over).
#pragma once

#include <cstdint>

struct PracticeChoice {
  uint8_t stage = 1;
  bool boss = false;       // start at the stage's boss
  uint8_t difficulty = 0;  // 0 normal, 1 hard, 2 easy (as replays number them)
};

bool InPractice();
// A practice that took over a replay (its "back" returns to the replay).
bool PracticeTookOver();

// Starts a practice run as chosen in the practice menu (never returns).
[[noreturn]] void StartPractice(const PracticeChoice& choice);
// At the top of a main-loop pass of a replay being watched: the player plays
// on from here, live. Returns; the pass goes on. False (nothing done) when
// the replay's game is not in play at this moment.
bool TakeOverReplay();

// The run is over: the ship was lost or the stage cleared. Offers "Retry" and
// the way back (never returns).
[[noreturn]] void EndPractice();
// The pause menu's items during practice (never return).
[[noreturn]] void RetryPractice();
[[noreturn]] void LeavePractice();
// The way back's label ("End practice": to the practice menu, or to the
// replay where it was taken over).
const char* LeavePracticeLabel();

// What practice keeps, for a snapshot of the game (and back).
struct PracticeState {
  bool active;
  bool tookOver;
  PracticeChoice choice;
};
PracticeState SavePracticeState();
void RestorePracticeState(const PracticeState& state);
