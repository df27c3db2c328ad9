// Sending replay files to a score server (POST /api/replays, one file a
// request). The back-ends use it for the player's online scores; it knows
// files and addresses, nothing of the game.
#pragma once

#include <cstdint>
#include <string>

namespace online {

// Whether this build carries an HTTP client (the Linux builds; the web and
// Windows builds send nothing).
bool Available();

// Sends every file of `folder` whose name ends in `extension` to the server at
// `serverUrl` (http://host[:port][/prefix]), oldest name first, and waits for
// each answer. A file the server took (202), or refused for good (400, 413:
// it will never take it), is removed; the others stay. False at the first
// that could not be sent (no server, another answer), with `why`; the files
// after it stay for the next time.
bool SendFolder(const std::string& serverUrl, const std::string& folder, const std::string& extension,
                std::string* why);

// SendFolder, a failure said on standard error and kept for TakeFailure.
void SendFolderNow(const std::string& serverUrl, const std::string& folder, const std::string& extension);
// SendFolderNow on a thread of its own: returns at once. A request made while
// one runs is done after it.
void SendFolderInBackground(const std::string& serverUrl, const std::string& folder, const std::string& extension);
// 1 once after a sending failed (in the background or not), then 0 until
// another fails.
uint32_t TakeFailure();
// Waits until no sending runs, at most `ms` milliseconds (at exit).
void FinishSending(uint32_t ms);

}  // namespace online
