// The process-wide set-up of the scene tests: an offscreen GL context, and the sample bank loaded
// into a simulated sound device so that every Play of the sequencer is recorded.
#pragma once

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "osmesa_context.h"
#include "simulated_sound.h"

// The context the tests draw into (640 × 480).
OffscreenContext& SceneContext();
SimulatedSoundSystem& SceneSound();

// The generator's draws from `seed`, computed apart from the process's generator.
std::vector<int> DrawsFrom(std::uint32_t seed, int count);

// The first seed whose first `draws` draws satisfy `wanted`.
template <typename Predicate>
std::uint32_t SeedWhere(Predicate wanted, int draws = 8) {
  for (std::uint32_t seed = 1;; ++seed) {
    if (wanted(DrawsFrom(seed, draws))) {
      return seed;
    }
  }
}

// A Play as the sequencer made it: track, volume, pan.
using TrackPlay = std::tuple<int, int, int>;
// The plays since the last call, in call order.
std::vector<TrackPlay> NewPlays();
