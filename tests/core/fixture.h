// The scene tests' set-up: an offscreen OSMesa context (real GL, read back), the bank loaded with
// the program's samples into a simulated sound device that records every Play, the state reset.
#pragma once

#include <GL/osmesa.h>
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
#include "gl/gl.h"
#include "gl/renderer.h"
#include "windows/command_line.h"
#include "windows/saver_messages.h"

inline constexpr int kWidth = 640;
inline constexpr int kHeight = 480;

// A Play as the sequencer made it: track, volume, pan.
using TrackPlay = std::tuple<int, int, int>;

class SceneTest : public ::testing::Test {
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
  // The RGBA bytes of a pixel, bottom row first.
  static const std::uint8_t* Pixel(int x, int y);
  // The resources the bank asked for, in order.
  static const std::vector<int>& AskedResources();

 protected:
  SaverContext context;
  FakeClock clock;
};
