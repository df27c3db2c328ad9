// Replays in tessivane-headless: playback in place of an input script, the
// header printed (--replay-info), and verification (--verify).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/replay_file.h"

// The exit status of a replay refused or one that stopped matching the game.
constexpr int kReplayRefused = 3;

// Checks the replay file's `bytes`, then makes the headless machine play it
// back: every reading is answered from it, its dialogs' answers are queued
// as they were given, `onEnd` is called where playback ends (see
// machine::SetPlaybackEndHandler) and, with `keepStopTime`, a recording cut
// off at a moment stops at the same moment. False with `why` when the file
// cannot be played.
bool StartReplayPlayback(const std::vector<uint8_t>& bytes, bool keepStopTime,
                         void (*onEnd)(bool mismatch, const char* why), ReplayInfo* info, std::string* why);

// The replay's header as "key: value" lines on standard output, and whether
// this build plays it. 0, or kReplayRefused when it cannot be read.
int PrintReplayInfo(const char* file);

// Plays the replay from start-up with the game's folder `gameDir` (the map
// and music), nothing drawn, shown or written, and prints one JSON object
// saying what the play reached and whether the replay verified (its header's
// claims and every state digest). 0 when verified, kReplayRefused when not.
int VerifyReplay(const std::string& file, const std::string& gameDir);
