// The saver's random generator: a 32-bit linear congruential state whose draws lie in 0..32767.
// Every chance of the saver is a draw against a threshold out of 32768, so that range is fixed.
#pragma once

#include <cstdint>

struct Random {
  std::uint32_t randomState = 1;  // 1 until seeded
};

// Sets the generator's state.
void SeedRandom(Random& random, std::uint32_t seed);

// Advances the state (x * 214013 + 2531011 mod 2^32) and returns its bits 16 to 30.
int DrawRandom(Random& random);
