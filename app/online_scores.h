// Online scores (options "Online scores" and "Score server"): each finished
// game's replay is queued in the player's data folder and sent to the score
// server by the back-end, away from the game's frames; what is queued when
// sending fails is sent again at the next start. Off by default: the game
// touches no network unless the player turns it on.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// $XDG_DATA_HOME/tessivane/outbox: the replays waiting to be sent (empty when
// no home is known).
std::string OutboxFolder();
// Whether online scores are on and this build can send, as a reading of the
// machine: a replay keeps it (only when on), so that it plays back as played.
bool OnlineScoresOn();
// A game's replay was written as `name` with `bytes`: with online scores on,
// a copy joins the queue (written atomically) and the queue is sent.
void QueueReplayForSending(const std::string& name, const std::vector<uint8_t>& bytes);
// At start: with online scores on, what the last run left queued is sent.
void SendQueuedReplays();
// Whether a sending failed since the last time this was asked (the title
// says so once), as a reading of the machine.
bool SendingFailedSinceAsked();
// The board page of the player's score server.
std::string BoardPageAddress();
