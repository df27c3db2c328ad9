// Where the program was asked to start, in place of the title's intro: a
// practice run (tessivane-headless --practice), or the replay list a watched
// replay was chosen from (the game starts itself anew there after watching).
// The request is a reading of the machine, so a replay of the session starts
// the same way.
#pragma once

#include <cstdint>

#include "app/practice.h"

enum class StartAt : uint8_t {
  Title,              // the title with its intro, as always
  Practice,           // a practice run
  TableReplayList,    // the high-score table's replay list
  EscapeReplayList,   // the replay list of the title's Escape menu
};

// Before start-up (from the command line).
void AskToStartAt(StartAt at, const PracticeChoice& practice = PracticeChoice{});
// Start-up reads the request (once)...
void ReadStartRequest();
// ...and the title takes it: what was asked (Title when nothing was, or when
// it was taken already), with the practice run's choice.
StartAt TakeStartRequest(PracticeChoice* practice);
