// tessivane-headless --submit URL FILE: sends a replay to a score server and
// waits for its verdict (docs/headless.md).
#pragma once

#include <string>

// Prints the server's last word on the replay (its JSON) and returns the exit
// status: 0 ranked, 3 refused, 1 when the server could not be reached or
// answered something else, 2 for a bad address.
int SubmitReplay(const std::string& url, const std::string& file);
