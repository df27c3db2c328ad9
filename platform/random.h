// The game's one uniform random generator.
#pragma once

#include <cstdint>

void Randomize(uint32_t seed);
// The generator's whole state, for a snapshot of the game (and back).
uint32_t RandomState();
void SetRandomState(uint32_t state);
// A uniform number in [0, 1) with 24 bits of resolution.
float Rnd();
// An integer 0..n-1: the integer part of n times a draw.
inline int RandomBelow(int n) { return int(double(n) * double(Rnd())); }
