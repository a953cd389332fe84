// The boxes as they reach the pixels: track colours and tints, where each box lies, the raised
// current column and the set-back accent track, and what a frame does in which order.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "app/saver_context.h"
#include "app/startup.h"
#include "display/gl.h"
#include "display/renderer.h"
#include "display/view.h"
#include "engine/random.h"
#include "engine/sequencer.h"
#include "fake_clock.h"
#include "scene_environment.h"

namespace {

// Straight down (tilt 90, no spin), world x spans the width and world z runs down the height.
constexpr double kPixelsPerX = 640 / 20.0;
constexpr double kPixelsPerZ = 480 / (2 * 6.666);

struct Point {
  int x, y;
};

struct Rgb {
  double red, green, blue;
};

Rgb At(int x, int y) {
  const std::uint8_t* p = SceneContext().Pixel(x, y);
  return {p[0] / 255.0, p[1] / 255.0, p[2] / 255.0};
}

// Within the 8-bit quantisation of the colour buffer.
bool Near(Rgb a, Rgb b) {
  const double tolerance = 1.2 / 255;
  return std::fabs(a.red - b.red) <= tolerance && std::fabs(a.green - b.green) <= tolerance &&
         std::fabs(a.blue - b.blue) <= tolerance;
}

::testing::AssertionResult ColourAt(Point p, Rgb expected) {
  const Rgb actual = At(p.x, p.y);
  if (Near(actual, expected)) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << "(" << actual.red << ", " << actual.green << ", " << actual.blue << ") at " << p.x
         << ", " << p.y << "; expected (" << expected.red << ", " << expected.green << ", "
         << expected.blue << ")";
}

// The colour of an unmuted cell.
Rgb Tint(int track, bool on, bool current) {
  const double e = std::sin(track * 4.3255) * 0.4;
  Rgb c{1, 0.5 - e, 0.5 + e};
  if (!on) {
    c = {1, c.green + (1 - c.green) * 0.8, c.blue + (1 - c.blue) * 0.8};
  }
  if (current) {
    c = {1, c.green + (1 - c.green) * 0.48, c.blue + (0.6 - c.blue) * 0.48};
  }
  return c;
}

// The pixel under the middle of a box's top, straight down.
Point BoxCentre(int track, int step) {
  const double x = (track - 12) * 0.5 * 1.5125;
  const double z = (step - 3.5) * 1.5 - (track == engine.accentTrack ? 0.45 : 0.0);
  return {static_cast<int>((x + 10) * kPixelsPerX), static_cast<int>((6.666 - z) * kPixelsPerZ)};
}

struct Extent {
  double left, right, nearZ, farZ;  // world x, and world z from -z (up the screen) to +z
};

// How far the colour under `p` reaches along its row and column, in world units.
Extent Measure(Point p) {
  const OffscreenContext& gl = SceneContext();
  const Rgb c = At(p.x, p.y);
  int left = p.x, right = p.x, bottom = p.y, top = p.y;
  while (left > 0 && Near(At(left - 1, p.y), c)) {
    --left;
  }
  while (right + 1 < gl.width() && Near(At(right + 1, p.y), c)) {
    ++right;
  }
  while (bottom > 0 && Near(At(p.x, bottom - 1), c)) {
    --bottom;
  }
  while (top + 1 < gl.height() && Near(At(p.x, top + 1), c)) {
    ++top;
  }
  return {left / kPixelsPerX - 10, (right + 1) / kPixelsPerX - 10, 6.666 - (top + 1) / kPixelsPerZ,
          6.666 - bottom / kPixelsPerZ};
}

class RendererTest : public ::testing::Test {
 protected:
  // Rotation 0 looks straight down without spinning; night puts the boxes on black.
  void SetUp() override {
    SceneContext();
    engine = EngineState();
    view = ViewState();
    saverContext = &context_;
    frameClock = &clock_;
    SeedRandom(1);
    SetUpScene(640, 480);
    if (view.dayMode) {
      ToggleDayNight(kDayFogColour);
    }
  }
  void TearDown() override {
    saverContext = nullptr;
    frameClock = nullptr;
  }

  // A frame that starts at `step`, with the clock inside that step so its ticks stay there.
  void Render(int step) {
    engine.currentStep = engine.previousStep = step;
    clock_.milliseconds = static_cast<std::uint32_t>(step * 250 + 10);
    RenderFrame();
    glFinish();
  }

  SaverContext context_;
  FakeClock clock_;
};

TEST_F(RendererTest, CellsTakeTheirTrackColourAndTints) {
  struct Case {
    const char* what;
    int track;
    bool on, current, muted;
    Rgb colour;
  };
  const Case cases[] = {
      {"on", 0, true, false, false, {1, 0.5, 0.5}},
      {"off", 0, false, false, false, {1, 0.9, 0.9}},
      {"on, current", 0, true, true, false, {1, 0.74, 0.548}},
      {"off, current", 0, false, true, false, {1, 0.948, 0.756}},
      {"on, muted", 0, true, false, true, {0.632, 0.684, 0.316}},
      {"off, muted", 0, false, false, true, {0.632, 0.9368, 0.5688}},
      {"on, current, muted", 0, true, true, true, {0.632, 0.83568, 0.346336}},
      {"track 1", 1, true, false, false, {1, 0.87043, 0.12957}},
      {"track 2", 2, true, false, false, {1, 0.22046, 0.77954}},
      {"track 24", 24, true, false, false, {1, 0.5556, 0.4444}},
  };
  for (const Case& c : cases) {
    engine = EngineState();
    engine.accentTrack = 10;
    engine.PatternMatrix[c.track * kSteps + 2] = c.on ? 1 : 0;
    engine.trackMuted[c.track] = c.muted ? 1 : 0;
    Render(c.current ? 2 : 5);
    EXPECT_TRUE(ColourAt(BoxCentre(c.track, 2), c.colour)) << c.what;
  }
}

TEST_F(RendererTest, BoxesLieOnTheGridWithTheCurrentColumnDeeperAndTheAccentSetBack) {
  struct Case {
    const char* what;
    int track, step, accent;
    Extent extent;
  };
  // The current step is 3 throughout.
  const Case cases[] = {
      {"track 0, step 0", 0, 0, 5, {-9.3775, -8.7725, -6.0, -4.5}},
      {"the accent track is set back", 0, 5, 0, {-9.3775, -8.7725, 1.05, 2.55}},
      {"its neighbour is not", 1, 5, 0, {-8.62125, -8.01625, 1.5, 3.0}},
      {"the current step is 1.3 times as deep", 0, 3, 5, {-9.3775, -8.7725, -1.725, 0.225}},
      {"current and set back", 0, 3, 0, {-9.3775, -8.7725, -2.175, -0.225}},
      {"the last track", 24, 6, 0, {8.7725, 9.3775, 3.0, 4.5}},
  };
  for (const Case& c : cases) {
    engine = EngineState();
    // A checkerboard, so that boxes touching along a track differ in colour.
    for (int cell = 0; cell < engine.trackCount * kSteps; ++cell) {
      engine.PatternMatrix[cell] = (cell / kSteps + cell % kSteps) % 2;
    }
    engine.accentTrack = c.accent;
    Render(3);
    const Extent e = Measure(BoxCentre(c.track, c.step));
    const double pixel = 1.1 / kPixelsPerX;  // a little over a pixel either way
    EXPECT_NEAR(e.left, c.extent.left, pixel) << c.what;
    EXPECT_NEAR(e.right, c.extent.right, pixel) << c.what;
    EXPECT_NEAR(e.nearZ, c.extent.nearZ, pixel) << c.what;
    EXPECT_NEAR(e.farZ, c.extent.farZ, pixel) << c.what;
  }
}

TEST_F(RendererTest, SeenFromTheSideTheCurrentColumnStandsRaised) {
  // The tumble at a zero of its cosine leaves the tilt at 0: world y runs up the screen.
  view.tableRotation = 2;
  view.autoSpinRate = 0.0f;
  view.tableTilt = 0.0f;
  view.tiltPhaseSet = true;
  view.tiltPhase = M_PI / 2 / 0.4;
  Render(3);
  const OffscreenContext& gl = SceneContext();
  const int x = BoxCentre(4, 0).x;
  auto row = [](double y) { return static_cast<int>((y + 6.666) * kPixelsPerZ); };
  int bottom = 0, top = gl.height() - 1;
  while (bottom < top && Near(At(x, bottom), {0, 0, 0})) {
    ++bottom;
  }
  while (top > bottom && Near(At(x, top), {0, 0, 0})) {
    --top;
  }
  // Boxes span -0.28 to 0.12; the current one, raised by 0.2 and 1.1 times as high, reaches 0.342
  // above the nearest box of its track (step 7).
  EXPECT_NEAR(bottom / kPixelsPerZ - 6.666, -0.28, 1.1 / kPixelsPerZ);
  EXPECT_NEAR((top + 1) / kPixelsPerZ - 6.666, 0.342, 1.1 / kPixelsPerZ);
  EXPECT_TRUE(ColourAt({x, row(0.0)}, Tint(4, false, false)));
  EXPECT_TRUE(ColourAt({x, row(0.25)}, Tint(4, false, true)));
}

TEST_F(RendererTest, AtStartAllTwoHundredBoxesShowOffWithColumnZeroRaised) {
  Render(0);
  for (int track = 0; track < 25; ++track) {
    for (int step = 0; step < kSteps; ++step) {
      EXPECT_TRUE(ColourAt(BoxCentre(track, step), Tint(track, false, step == 0)))
          << "track " << track << ", step " << step;
    }
  }
  // Each track's boxes touch along z: 12.225 deep with the current one's 1.3, 0.605 wide.
  const OffscreenContext& gl = SceneContext();
  int lit = 0;
  for (int y = 0; y < gl.height(); ++y) {
    for (int x = 0; x < gl.width(); ++x) {
      lit += Near(At(x, y), {0, 0, 0}) ? 0 : 1;
    }
  }
  const double expected = 25 * 0.605 * 12.225 * kPixelsPerX * kPixelsPerZ;
  EXPECT_NEAR(lit, expected, expected * 0.02);
}

TEST_F(RendererTest, AFrameDrawsTheStepItStartsOnAndThenTicksTwice) {
  // No mutation; the accent, clearing and day dice of both ticks all miss.
  std::uint32_t seed = 1;
  for (std::vector<int> d = DrawsFrom(seed, 8);
       d[1] < 400 || d[2] < 40 || d[3] < 10 || d[5] < 400 || d[6] < 40 || d[7] < 10;
       d = DrawsFrom(++seed, 8)) {
  }
  engine.mutationChance = 0;
  view.tiltPhaseSet = true;
  engine.currentStep = engine.previousStep = 2;
  clock_.milliseconds = 1900;  // step 7
  SeedRandom(seed);
  RenderFrame();
  glFinish();
  EXPECT_EQ(frameTimeMs, 1900u);
  EXPECT_EQ(engine.currentStep, 7);
  EXPECT_EQ(DrawRandom(), DrawsFrom(seed, 9)[8]) << "two ticks of four dice";
  EXPECT_TRUE(ColourAt(BoxCentre(3, 2), Tint(3, false, true)));
  EXPECT_TRUE(ColourAt(BoxCentre(3, 7), Tint(3, false, false)));
  // Unlit flat boxes under an orthographic view look the same from inside: only the state shows
  // which faces are drawn.
  const std::pair<GLenum, GLint> state[] = {{GL_CULL_FACE_MODE, GL_BACK},
                                            {GL_FRONT_FACE, GL_CCW},
                                            {GL_DEPTH_FUNC, GL_LESS},
                                            {GL_BLEND_SRC, GL_SRC_ALPHA},
                                            {GL_BLEND_DST, GL_ONE_MINUS_SRC_ALPHA}};
  for (const auto& [name, value] : state) {
    GLint actual = 0;
    glGetIntegerv(name, &actual);
    EXPECT_EQ(actual, value) << std::hex << name;
  }
  for (GLenum capability : {GL_CULL_FACE, GL_DEPTH_TEST, GL_BLEND}) {
    EXPECT_TRUE(glIsEnabled(capability)) << std::hex << capability;
  }
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));

  RenderFrame();
  glFinish();
  EXPECT_TRUE(ColourAt(BoxCentre(3, 2), Tint(3, false, false)));
  EXPECT_TRUE(ColourAt(BoxCentre(3, 7), Tint(3, false, true)));
}

TEST_F(RendererTest, SeveralMonitorsShareOneCameraAndTwoTicksAFrame) {
  // A 320-wide monitor of full height and, right of it, one of the upper half over a gap.
  SetMonitorViewports({{0, 0, 320, 480}, {320, 240, 320, 240}});
  const std::uint32_t seed = SeedWhere([](const std::vector<int>& d) {
    return d[1] >= 400 && d[2] >= 40 && d[3] >= 10 && d[5] >= 400 && d[6] >= 40 && d[7] >= 10;
  });
  engine.mutationChance = 0;
  view.tiltPhaseSet = true;
  view.tableRotation = 1;
  view.autoSpinRate = 0.5f;
  engine.currentStep = engine.previousStep = 2;
  clock_.milliseconds = 1900;  // step 7: the ticks roll their dice
  SeedRandom(seed);
  RenderFrame();
  glFinish();
  SetMonitorViewports({});
  EXPECT_EQ(DrawRandom(), DrawsFrom(seed, 9)[8]) << "two ticks of four dice";
  EXPECT_FLOAT_EQ(view.tableSpin, 0.5f);
  // The middle of the table (track 12, between steps 3 and 4) in each monitor's middle.
  EXPECT_TRUE(ColourAt({160, 240}, Tint(12, false, false)));
  EXPECT_TRUE(ColourAt({480, 360}, Tint(12, false, false)));
  EXPECT_TRUE(ColourAt({480, 120}, {0, 0, 0}));
}

}  // namespace
