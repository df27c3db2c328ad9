// The builds without an HTTP client (web, Windows): nothing is sent; the
// options screen offers no online scores there.
#include "platform/online/replay_sender.h"

namespace online {

bool Available() { return false; }

bool SendFolder(const std::string&, const std::string&, const std::string&, std::string* why) {
  *why = "this build sends no replays";
  return false;
}

void SendFolderInBackground(const std::string&, const std::string&, const std::string&) {}

uint32_t TakeFailure() { return 0; }

void SendFolderNow(const std::string&, const std::string&, const std::string&) {}

void FinishSending(uint32_t) {}

}  // namespace online
