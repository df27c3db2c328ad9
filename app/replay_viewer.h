// The replay viewer: while a replay plays back, its game can be paused,
// stepped a frame at a time, slowed down or sped up, and sought to any second
// or to the start of any stage or boss, forward and back.
//
// Seeking rests on snapshots of the game (app/state_snapshot.h) taken at the
// top of main-loop passes every kSnapshotEveryMs of the game's time as
// playback first passes them: a seek restores the nearest snapshot at or
// before its target and runs the replay on from there unseen and unheard
// (nothing drawn, no waits) to the first pass at or after the target. The
// replay's own digests are checked all the way, so a seek that landed on
// another state would stop playback as a mismatch.
//
// Time is the game's: milliseconds of the replay's clock since the first pass
// of its game (the header's game start).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

constexpr uint32_t kSnapshotEveryMs = 5000;

// Opens the viewer on the playback just started; its game starts at offset
// `gameStart` of the stream. With `keys` the viewer reads its own keys from
// the keyboard as they are now (the playback's readings are the recorded
// ones); without, it is driven only through the calls below.
void OpenReplayViewer(uint64_t gameStart, bool keys);
void CloseReplayViewer();

// Called at the top of every main-loop pass (nothing while no viewer is open).
void ReplayViewerPassBegins();
// The playback filters of a viewer (see machine::SetPlaybackWaitFilter and
// SetPlaybackPresentFilter); a watcher that has its own calls them once the
// game has started.
bool ReplayViewerShouldWait(uint32_t ms);
bool ReplayViewerShouldPresent();
// Playback reached the end of the stream, or the recorded program ended:
// while a seek runs past it, the viewer lands on the last pass of the replay
// (restored from a snapshot; the call then does not return); otherwise false.
bool ReplayViewerTakesEnd();

// Seeks to `ms` of the game (done at the next pass top, or at once when
// called from a landing handler or a pass top).
void SeekReplay(uint32_t ms);
// Called when a seek has landed, with the game's time there.
void SetReplayLandingHandler(void (*onLanding)(uint32_t ms));
// The speed the viewer plays at as shown beside "REPLAY": "" for the normal
// speed, else "1/4", "1/2", "2", "4", "8" or "max" ("4" while Space is held).
std::string ReplayViewerSpeedLabel();

// Back from a take-over (app/practice.h), the replay restored where it was
// taken over: the viewer shows that moment, paused when it reads keys.
void ReplayViewerBackFromTakeOver();

// Who stops watching when the viewer's Escape is pressed or its window is
// closed (nullptr: those keys do nothing).
void SetReplayViewerStop(void (*stop)());

// The snapshots kept so far: how many, and the bytes they hold in all (their
// heap blocks counted at the size asked for).
size_t ReplayViewerSnapshotBytes(size_t* count);
