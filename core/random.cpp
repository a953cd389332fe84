// The random generator.
#include "core/random.h"

void SeedRandom(Random& random, std::uint32_t seed) {
  random.randomState = seed;
}

int DrawRandom(Random& random) {
  random.randomState = random.randomState * 214013u + 2531011u;
  return static_cast<int>((random.randomState >> 16) & 0x7fffu);
}
