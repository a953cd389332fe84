// The process-wide set-up of the scene tests: an offscreen GL context, and the sample bank loaded
// into a simulated sound device so that every Play of the sequencer is recorded.
#pragma once

#include <string>
#include <tuple>
#include <vector>

#include "osmesa_context.h"
#include "simulated_sound.h"

// The context the tests draw into (640 × 480).
OffscreenContext& SceneContext();
SimulatedSoundSystem& SceneSound();

// A Play as the sequencer made it: track, volume, pan.
using TrackPlay = std::tuple<int, int, int>;
// The plays since the last call, in call order.
std::vector<TrackPlay> NewPlays();
