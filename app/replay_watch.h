// Watching a replay in the game: the recorded game plays with the game's own
// screens, in the replay viewer (app/replay_viewer.h: pause, step, speed,
// seek); Space held runs it four frames to a picture shown, Escape (or
// closing the window) stops it. Start-up and the title before the game are
// run through unseen. A replay never records, never writes the score
// file and so never keeps medals.
#pragma once

#include <string>

// The command line's way back to a replay list: `--back-to table` (the
// high-score table's) or `--back-to replays` (the title's Escape menu's).
constexpr const char* kBackToOption = "--back-to";
constexpr const char* kBackToTable = "table";
constexpr const char* kBackToReplays = "replays";

// Plays the replay at `path` from start-up. A replay that cannot be played
// (another build, a damaged file) is refused with a message naming why. At
// the end the program ends, or with `backToGame` starts the game afresh, at
// the replay list named by `backTo` (kBackToTable, kBackToReplays) when
// there is one.
[[noreturn]] void WatchReplay(const std::string& path, bool backToGame, const std::string& backTo = std::string());
// Leaves the running game for the replay at `path` and comes back to a fresh
// game at its end (the program starts itself anew).
[[noreturn]] void WatchReplayFromGame(const std::string& path);
// How the program starts itself anew: on the replay at `replayPath` (then it
// comes back to the game at the replay's end), or on a fresh game when the
// path is empty; `backTo` names the replay list the game comes back to
// (kBackToTable, kBackToReplays, or ""). The procedure does not return. By
// default the program executes itself again; a browser loads the page again.
void SetProgramRestarter(void (*restart)(const std::string& replayPath, const std::string& backTo));

// Whether a replay is being watched in the game.
bool IsWatchingReplay();
