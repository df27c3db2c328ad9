// The list of kept replays: date, stage reached, score and difficulty of each
// run, the high-score table's runs marked with their place. Up and Down
// choose, fire watches the run (the game comes back afterwards), bomb, Escape
// or EXIT go back.
#pragma once

#include <string>

// Whether the high-score table offers the list (its R key, shown on the
// table). The game does; tessivane-headless does with --replay-list, so that
// by default its pictures and readings stay as they were.
void OfferReplayList(bool offered);
bool IsReplayListOffered();
// Runs the list screen until it is left (or a replay is chosen). With
// `atTableRuns`, the list holds the runs behind the table's places, best first.
void ShowReplayList(bool atTableRuns);
// Whether the list last shown was the high-score table's.
bool ReplayListOfTable();
// What choosing a replay does: by default the program starts itself anew on
// it (WatchReplayFromGame) and never comes back here.
void SetReplayListWatcher(void (*watch)(const std::string& path));
