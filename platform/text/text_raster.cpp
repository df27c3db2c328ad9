#include "platform/backend.h"

namespace platform {
void DrawText(Surface&, int, int, int, uint32_t, const std::string&) {}
}  // namespace platform
