// The process-wide random generator: a 32-bit linear congruential state whose draws lie in 0..32767.
// Every chance of the saver is a draw against a threshold out of 32768, so that range is fixed.
#pragma once

#include <cstdint>

// Sets the generator's state. Until the first call the state is 1.
void SeedRandom(std::uint32_t seed);

// Advances the state (x * 214013 + 2531011 mod 2^32) and returns its bits 16 to 30.
int DrawRandom();
