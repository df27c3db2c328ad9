// Digests of the game's state, from the registered globals
// (app/state_registry.h). Two kinds:
//  - PlayStateDigest: one 64-bit number for the state that decides play,
//    hashed from the values' bytes (cheap enough for once a second of every
//    replay). A replay carries it once a second of game time, and playback
//    compares it with the state it reaches, so a build that plays a replay
//    differently stops at the first second that differs.
//  - TextDigest: the 32-bit hash of a dump member's JSON text, which the
//    headless tool's --digest files list member by member.
#pragma once

#include <cstdint>
#include <string>

// FNV-1a, 64 bits, over the registered globals that decide play, each value
// as little-endian bytes (strings as their length, then their bytes). Left
// out: the player's own settings (a watcher's window size or volume is not
// the recorded player's), which playback does not replay.
uint64_t PlayStateDigest();

// FNV-1a, 32 bits, of `text`.
uint32_t TextDigest(const std::string& text);

// Called once per main-loop pass with the pass's clock: while a replay is
// being recorded or played back, every 1000 ms of game time (counted from the
// first pass) the play digest goes into the stream or is checked against it.
void CheckStateEachSecond(uint32_t nowMs);
// Where the once-a-second count stands, for a snapshot of the game (and back).
struct DigestClock {
  bool counting;
  uint32_t startMs, lastSecond, passes;
};
DigestClock SaveDigestClock();
void RestoreDigestClock(const DigestClock& clock);
// Passes counted by CheckStateEachSecond since the session began.
uint32_t MainLoopPasses();
