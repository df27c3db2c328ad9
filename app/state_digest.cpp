#include "app/state_digest.h"

#include <cstring>

#include "app/settings.h"
#include "app/state_registry.h"
#include "platform/machine.h"

namespace {

constexpr uint64_t kFnvOffset64 = 14695981039346656037ull;
constexpr uint64_t kFnvPrime64 = 1099511628211ull;

struct Fnv64 {
  uint64_t h = kFnvOffset64;
  void Byte(uint8_t b) { h = (h ^ b) * kFnvPrime64; }
  void Le(uint32_t v, int bytes) {
    for (int k = 0; k < bytes; ++k) Byte(uint8_t(v >> (8 * k)));
  }
};

DigestClock gClock{false, 0, 0, 0};

}  // namespace

uint64_t PlayStateDigest() {
  Fnv64 f;
  for (int i = 0; i < kStateEntryCount; ++i) {
    const StateEntry& e = kStateEntries[i];
    if (e.data == static_cast<const void*>(settingValues)) continue;
    for (int k = 0; k < e.count; ++k) {
      switch (e.type) {
        case StateType::U8: f.Le(static_cast<const uint8_t*>(e.data)[k], 1); break;
        case StateType::I16: f.Le(uint16_t(static_cast<const int16_t*>(e.data)[k]), 2); break;
        case StateType::I32: f.Le(uint32_t(static_cast<const int32_t*>(e.data)[k]), 4); break;
        case StateType::F32: {
          uint32_t bits;
          std::memcpy(&bits, static_cast<const float*>(e.data) + k, sizeof bits);
          f.Le(bits, 4);
          break;
        }
        case StateType::Str: {
          const std::string& s = static_cast<const std::string*>(e.data)[k];
          f.Le(uint32_t(s.size()), 4);
          for (char c : s) f.Byte(uint8_t(c));
          break;
        }
      }
    }
  }
  return f.h;
}

uint32_t TextDigest(const std::string& text) {
  uint32_t h = 2166136261u;
  for (unsigned char c : text) h = (h ^ c) * 16777619u;
  return h;
}

void CheckStateEachSecond(uint32_t nowMs) {
  ++gClock.passes;
  if (!machine::WantsStateDigests()) return;
  if (!gClock.counting) {
    gClock.counting = true;
    gClock.startMs = nowMs;
    gClock.lastSecond = 0;
    return;
  }
  const uint32_t second = (nowMs - gClock.startMs) / 1000;
  if (second == gClock.lastSecond) return;
  gClock.lastSecond = second;
  machine::StateDigest(second, PlayStateDigest());
}

uint32_t MainLoopPasses() { return gClock.passes; }

DigestClock SaveDigestClock() { return gClock; }
void RestoreDigestClock(const DigestClock& clock) { gClock = clock; }
