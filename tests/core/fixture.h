// The engine, input and GL tests' set-up: a saver of their own for each test, on a fake clock, with
// the program's samples in fake resources. No GL.
#pragma once

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "core/saver.h"
#include "fakes.h"

// A play as the sequencer made it: track, volume, pan.
using TrackPlay = std::tuple<int, int, int>;

// The program's own samples, in a store that notes what is asked of it.
FakeResources ProgramSamples();

class RunTest : public ::testing::Test {
 protected:
  // The settings the sequencer derives its timing, density and mutation chance from.
  void Configure(int tempo, int transient = 0, int density = 0);
  // One tick, or a frame's two, at `time`: the plays they made.
  std::vector<TrackPlay> Tick(std::uint32_t time);
  std::vector<TrackPlay> Ticks(std::uint32_t time);
  void Seed(std::uint32_t seed) { SeedRandom(saver.random, seed); }
  int Draw() { return DrawRandom(saver.random); }

  FakeClock clock;
  FakeResources resources = ProgramSamples();
  Saver saver{kSaver, RunPlatform{clock, nullptr, resources}, 0};
  // The parts of the saver the tests look at most.
  SaverContext& context = saver.saverContext;
  EngineState& engine = saver.engine;
  ViewState& view = saver.view;
  InputState& input = saver.input;
};
