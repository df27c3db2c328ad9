// Online scores on the SDL back-end: replays are sent on a thread of their
// own (platform/online), never holding a frame up; the board page opens in
// the player's browser.
#include <SDL.h>

#include <cstdio>

#include "platform/backend.h"
#include "platform/online/replay_sender.h"

namespace platform {

bool CanSendReplays() { return online::Available(); }

void SendReplays(const std::string& serverUrl, const std::string& outbox, const std::string& extension) {
  online::SendFolderInBackground(serverUrl, outbox, extension);
}

uint32_t TakeSendingFailure() { return online::TakeFailure(); }

void OpenInBrowser(const std::string& url) {
  if (SDL_OpenURL(url.c_str()) != 0) std::fprintf(stderr, "tessivane: cannot open %s: %s\n", url.c_str(), SDL_GetError());
}

}  // namespace platform
