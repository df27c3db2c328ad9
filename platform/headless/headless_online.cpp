// Online scores on the headless platform: sent at once, before the call
// returns, so that a script meets the outcome at a fixed moment.

#include "platform/backend.h"
#include "platform/online/replay_sender.h"

namespace platform {

bool CanSendReplays() { return online::Available(); }

void SendReplays(const std::string& serverUrl, const std::string& outbox, const std::string& extension) {
  online::SendFolderNow(serverUrl, outbox, extension);
}

uint32_t TakeSendingFailure() { return online::TakeFailure(); }

}  // namespace platform
