// The names of the rare readings (machine::ReadRareValue): each caller its
// own, never reused, since replays keep them.
#pragma once

#include <cstdint>

constexpr uint32_t kReadingOnlineScoresOn = 1;
constexpr uint32_t kReadingSendingFailed = 2;
constexpr uint32_t kReadingStartRequest = 3;
