// Online scores on the headless platform: sent at once, before the call
// returns, so that a script meets the outcome at a fixed moment.
#include <cstdio>

#include "platform/backend.h"
#include "platform/online/replay_sender.h"

namespace platform {

bool CanSendReplays() { return online::Available(); }

void SendReplays(const std::string& serverUrl, const std::string& outbox, const std::string& extension) {
  std::string why;
  if (!online::SendFolder(serverUrl, outbox, extension, &why)) {
    std::fprintf(stderr, "tessivane: the replay was not sent to the score server (%s)\n", why.c_str());
    online::NoteFailure();
  }
}

uint32_t TakeSendingFailure() { return online::TakeFailure(); }

}  // namespace platform
