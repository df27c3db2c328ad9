// Online scores in the browser: the page sends nothing (the options screen
// offers no online scores here); a page of the board opens in a new tab.
#include <SDL.h>

#include "platform/backend.h"

namespace platform {

bool CanSendReplays() { return false; }

void SendReplays(const std::string&, const std::string&, const std::string&) {}

uint32_t TakeSendingFailure() { return 0; }

void OpenInBrowser(const std::string& url) { SDL_OpenURL(url.c_str()); }

}  // namespace platform
