// Every game recorded: the session's readings are kept from start-up (see
// platform/machine.h) and each game, from its start to its end, leaves a
// replay file in the player's data folder, which then keeps the last 20
// games, every run behind a place of the high-score table and every run that
// reached the ending.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/replay_file.h"

// Which build recorded a replay; another build refuses to play it. Raise the
// rules number with every change that makes the game do something else with
// the same readings (the golden runs in tests/golden say when).
constexpr const char* kBuildIdentity = "Tessivane 1.0.0 (game rules 2)";
constexpr int kKeptRecentReplays = 20;
constexpr const char* kReplayExtension = ".tvreplay";

// Whether this program records (the game and tessivane-headless do, unless
// told not to). Off by default, so that tests calling StartUp do not.
void SetReplayRecording(bool on);
// Called first thing at start-up: starts keeping the readings.
void BeginReplaySession();
// A game starts (its difficulty and stage are set); ends.
void NoteGameStart();
// Called at the top of every main-loop pass: the first pass of a game keeps
// its state, and the replay starts again from there (see machine::
// RecordGameStart); a playback restores it.
void NoteMainLoopPass();
// Who is told when a playback restored its game's starting state, with the
// recorded clock there (the part of the session before it is not in the
// replay).
void SetGameStartPlayedHandler(void (*onPlayed)(uint32_t clockMs));
void NoteEndingReached();
// The medals the ending awarded the game (bit k for medal k), whether the
// player held them already or not.
void NoteMedalsEarned(uint8_t medalBits);
void NoteTablePlace(int place, const std::string& name);
// The game went back to the title (game over, the ending).
void NoteGameEnd();
// The program ends (quit) or is cut off with the machine's clock at
// `stopClockMs` (0: it simply ended): a game in progress is written.
void EndReplaySession(uint32_t stopClockMs);

// During or after a playback: the last game it played, as far as it got
// (score, stage reached, how it ended, the table's place and name, the frames
// of main-loop play). A game still in progress counts as ended by a quit
// where it stands. False when playback met no game start.
bool GameAsPlayed(ReplayInfo* game, uint32_t* frames);
// The medals the last game started earned at its ending (bit k for medal k;
// 0 until an ending awards them).
uint8_t MedalsOfGame();

// What the recorder keeps of the game a playback follows, for a snapshot of
// the game (and back).
struct RecorderPlayState {
  bool inProgress;  // a game started and not ended yet
  ReplayInfo game;
  bool seen;  // a game started since the session began
  uint32_t startPass, frames;
  uint8_t medals;  // as NoteMedalsEarned was told
};
RecorderPlayState SaveRecorderPlayState();
void RestoreRecorderPlayState(const RecorderPlayState& state);

// $XDG_DATA_HOME/tessivane/replays (empty when no home is known).
std::string ReplayFolder();
// The index of the replays this game wrote (beside their folder:
// `replays.index`), which the keeping rules trust instead of the headers.
std::string IndexPath(const std::string& folder);
std::string ReplayIndexPath();
// Applies the keeping rules to the folder's replays; the file named
// `justWritten` (a name in the folder) is kept whatever the others claim.
void KeepReplays(const std::string& folder, const std::string& justWritten = std::string());

// A replay file of the folder: its name and its header.
struct StoredReplay {
  std::string name;
  ReplayInfo info;
};
// The replays in `folder` whose headers read (other files are passed over),
// in the folder's order.
std::vector<StoredReplay> ReadStoredReplays(const std::string& folder);
// The same as a reading of the machine (recorded and played back like the
// score file), for what the game shows and lets the player choose: a playback
// meets the folder as it was when the game was recorded.
std::vector<StoredReplay> ListStoredReplays(const std::string& folder);
// The place (0..4) of the high-score table the replay's run stands behind,
// or -1 when it made none or its place has been taken since.
int TablePlaceOf(const ReplayInfo& info);
