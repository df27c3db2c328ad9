#include "platform/random.h"

namespace {
uint32_t gRandomState = 0x9E3779B9u;
}

void Randomize(uint32_t seed) {
  // Spread the seed so that nearby seeds start far apart; never zero.
  uint32_t z = seed + 0x9E3779B9u;
  z = (z ^ (z >> 16)) * 0x85EBCA6Bu;
  z = (z ^ (z >> 13)) * 0xC2B2AE35u;
  z ^= z >> 16;
  gRandomState = z ? z : 0x9E3779B9u;
}

uint32_t RandomState() { return gRandomState; }
void SetRandomState(uint32_t state) { gRandomState = state ? state : 0x9E3779B9u; }

// xorshift32; the top 24 bits make the draw, so it is exact in a float.
float Rnd() {
  uint32_t x = gRandomState;
  x ^= x << 13;
  x ^= x >> 17;
  x ^= x << 5;
  gRandomState = x;
  return float(x >> 8) * (1.0f / 16777216.0f);
}
