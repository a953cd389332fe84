// The engine and input tests' set-up: the bank loaded with the program's samples into a simulated
// sound device that records every Play, and the state reset before each test. No GL.
#pragma once

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "core/input_rules.h"
#include "core/random.h"
#include "core/saver_context.h"
#include "core/sequencer.h"
#include "core/shared_state.h"
#include "core/view.h"
#include "fakes.h"

// A Play as the sequencer made it: track, volume, pan.
using TrackPlay = std::tuple<int, int, int>;

class RunTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

 public:
  // The settings the sequencer derives its timing, density and mutation chance from.
  static void Configure(int tempo, int transient = 0, int density = 0);
  // A frame's two ticks at `time`.
  static void Ticks(std::uint32_t time);
  // The plays since the last call, in call order.
  static std::vector<TrackPlay> NewPlays();
  // The resources the bank asked for, in order.
  static const std::vector<int>& AskedResources();

 protected:
  SaverContext context;
  FakeClock clock;
};
