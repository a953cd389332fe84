// The view and the boxes on a real GL: what the set-up draws and sets, the matrices a frame
// leaves, day and night, the drags, and the boxes as they reach the pixels.
#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <functional>

#include "offscreen.h"

namespace {

using Matrix = std::array<double, 16>;  // column-major, as GL keeps it

Matrix operator*(const Matrix& a, const Matrix& b) {
  Matrix m{};
  for (int i = 0; i < 16; ++i) {
    for (int k = 0; k < 4; ++k) {
      m[i] += a[k * 4 + i % 4] * b[i / 4 * 4 + k];
    }
  }
  return m;
}

// The orthographic box, a translation along z, a rotation about x (axis 0) or y (axis 1).
Matrix Box(double depth = 0) {
  return {0.1, 0, 0, 0, 0, 1 / 6.666, 0, 0, 0, 0, -0.001, 0, 0, 0, -0.001 * depth, 1};
}
Matrix Rotation(double degrees, int axis) {
  const double c = std::cos(degrees * M_PI / 180), s = std::sin(degrees * M_PI / 180);
  return axis == 0 ? Matrix{1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1}
                   : Matrix{c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1};
}

void ExpectMatrix(GLenum which, const Matrix& expected, const std::string& what) {
  GLfloat actual[16];
  glGetFloatv(which, actual);
  for (int i = 0; i < 16; ++i) {
    EXPECT_NEAR(actual[i], expected[i], 2e-5) << what << ", element " << i;
  }
}

std::array<double, 3> Colour(GLenum which) {
  GLfloat v[4];
  glGetFloatv(which, v);
  return {v[0], v[1], v[2]};
}

constexpr std::array<double, 3> kFog = {0.92484, 0.92486, 0.92473};
constexpr std::array<double, 3> kBright = {0.984, 0.986, 0.973};
constexpr std::array<double, 3> kBlack = {0, 0, 0};

// Straight down (tilt 90, no spin), world x spans the width and world z runs down the height.
constexpr double kPerX = kWidth / 20.0;
constexpr double kPerZ = kHeight / (2 * 6.666);

std::array<double, 3> At(int x, int y) {
  const std::uint8_t* p = SceneTest::Pixel(x, y);
  return {p[0] / 255.0, p[1] / 255.0, p[2] / 255.0};
}

bool Near(std::array<double, 3> a, std::array<double, 3> b) {
  return std::max({std::fabs(a[0] - b[0]), std::fabs(a[1] - b[1]), std::fabs(a[2] - b[2])}) <
         1.2 / 255;
}

// How many pixels from (x, y) on, in steps of (dx, dy), have `colour`.
int Stretch(int x, int y, int dx, int dy, std::array<double, 3> colour) {
  int n = 0;
  while (Near(At(x + (n + 1) * dx, y + (n + 1) * dy), colour)) {
    ++n;
  }
  return n;
}

// The pixel under the middle of a box's top, straight down, `accent` being the accent track.
std::pair<int, int> BoxCentre(int track, int step, int accent = 0) {
  const double z = (step - 3.5) * 1.5 - (track == accent ? 0.45 : 0.0);
  return {static_cast<int>(((track - 12) * 0.75625 + 10) * kPerX),
          static_cast<int>((6.666 - z) * kPerZ)};
}

class PictureTest : public SceneTest {
 protected:
  // Rotation 0 looks straight down without spinning; night puts the boxes on black.
  void SetUp() override {
    SceneTest::SetUp();
    Seed(77);  // draws 290, 16146 (even: night), 20523
    SetUpScene(saver, kWidth, kHeight);
    ASSERT_FALSE(view.dayMode);
  }
  // A frame that starts at `step`, with the clock inside that step so that its ticks stay there.
  void Render(int step) {
    engine.currentStep = engine.previousStep = step;
    Show(static_cast<std::uint32_t>(step * 250 + 10));
  }
};

}  // namespace

TEST_F(SceneTest, SetUpDrawsSpinRateDayAndTiltInThatOrder) {
  context.rotation() = 2;
  Seed(77);  // draws 290 (a spin of -0.21 a frame, twice that aggressive), 16146, 20523
  SetUpScene(saver, 320, 200);
  EXPECT_FLOAT_EQ(view.autoSpinRate, -0.42f);
  EXPECT_FALSE(view.dayMode) << "16146 is even: night";
  EXPECT_EQ(view.tableTilt, 13.0f) << "20523 mod 20 + 10";
  EXPECT_EQ(view.viewDepth, -80.0f);
  EXPECT_EQ(Draw(), 20304) << "exactly three draws";
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2] * 10000 + viewport[3], 320 * 10000 + 200);
  glViewport(0, 0, kWidth, kHeight);
  ExpectMatrix(GL_PROJECTION_MATRIX, Box(), "set-up projection");
  GLfloat fog[3];
  glGetFloatv(GL_FOG_START, &fog[0]);
  glGetFloatv(GL_FOG_END, &fog[1]);
  glGetFloatv(GL_FOG_MODE, &fog[2]);
  EXPECT_EQ(std::vector<GLfloat>(fog, fog + 3), (std::vector<GLfloat>{60, 110, GL_LINEAR}));
  EXPECT_TRUE(glIsEnabled(GL_FOG) && Near(Colour(GL_COLOR_CLEAR_VALUE), kBlack));
}

TEST_F(SceneTest, FramesTiltSpinAndSetBackTheTable) {
  struct Case {
    const char* what;
    int rotation;
    float rate, velocity, spin, depth;
    double tilt1, tilt3, spun1, after1, spun3, after3;  // the spin drawn in frames 1 and 3
  };
  const Case cases[] = {
      {"off: the drag alone spins", 0, 0.3f, 2, 10, -80, 90, 90, 10, 12, 13.86, 15.5898},
      {"on", 1, 0.3f, 2, 10, -150, 90, 90, 10.3, 12.3, 14.76, 16.4898},
      {"aggressive: the phase is the draw 290", 2, -0.4f, 0, 0, 0, 22.0852, 16.2516, -0.4, -0.4,
       -1.2, -1.2},
      {"a stored 3 spins faster", 3, 0.9f, 0, 0, -80, 90, 90, 0.9, 0.9, 2.7, 2.7},
      {"past a turn", 1, 0.5f, 1, 359, -80, 90, 90, 359.5, 0.5, 2.43, 3.2949},
  };
  for (const Case& c : cases) {
    view = ViewState();
    view.tableRotation = c.rotation;
    view.autoSpinRate = c.rate;
    view.spinVelocity = c.velocity;
    view.tableSpin = c.spin;
    view.viewDepth = c.depth;
    view.tableTilt = 25.0f;
    Seed(77);
    for (int frame = 1; frame <= 3; ++frame) {
      glMatrixMode(GL_MODELVIEW);
      glLoadIdentity();
      PlaceCamera(UpdateCamera(view, saver.random));
      if (frame != 2) {
        const std::string what = std::string(c.what) + ", frame " + std::to_string(frame);
        const double tilt = frame == 1 ? c.tilt1 : c.tilt3;
        EXPECT_NEAR(view.tableTilt, tilt, 1e-4) << what;
        ExpectMatrix(GL_PROJECTION_MATRIX, Box(c.depth) * Rotation(tilt, 0), what);
        ExpectMatrix(GL_MODELVIEW_MATRIX, Rotation(frame == 1 ? c.spun1 : c.spun3, 1), what);
        EXPECT_NEAR(view.tableSpin, frame == 1 ? c.after1 : c.after3, 1e-4) << what;
      }
    }
    EXPECT_EQ(Draw(), 16146) << c.what << ": the phase is drawn once";
  }
}

TEST_F(SceneTest, DragsTiltSpinAndMoveTheDepthWithinItsRange) {
  view.tableTilt = 30.0f;
  view.spinVelocity = 5.0f;
  ApplyLeftDrag(view, -4, 10);
  EXPECT_FLOAT_EQ(view.spinVelocity, -0.684f) << "replaced, not added to";
  EXPECT_FLOAT_EQ(view.tableTilt, 32.1f);
  // A flick of 10 pixels turns the table 1.71 / 0.07 degrees in all as it decays by 0.93.
  view = ViewState();
  view.tiltPhaseSet = true;
  ApplyLeftDrag(view, 10, 0);
  for (int frame = 0; frame < 400; ++frame) {
    UpdateCamera(view, saver.random);
  }
  EXPECT_NEAR(view.tableSpin, 24.4286, 1e-3);
  // clang-format off
  const std::array<int, 3> cases[] = {{10, 0, -7790},       {0, -10, -8210},   {500, 500, 0},
                                      {-500, -500, -15000}, {-333, 0, -14993}, {INT_MAX, INT_MAX, 0},
                                      {INT_MIN, INT_MIN, -15000}};
  // clang-format on
  for (const auto& [dx, dy, hundredths] : cases) {
    view.viewDepth = -80.0f;
    ApplyRightDrag(view, dx, dy);
    EXPECT_NEAR(view.viewDepth, hundredths / 100.0, 0.001) << dx << ", " << dy;
  }
}

TEST_F(PictureTest, DayAndNightSetTheBackgroundFromTheNextFrame) {
  // From night: day by Enter, night by Enter, day by the dice (a seed whose day die at step 7 is
  // 9, as in the engine's tests).
  const std::function<void()> enter = [this] { ApplySceneAction(saver, SceneAction::kDayNight); };
  const std::function<void()> dice = [this] {
    Configure(3);
    Seed(4232280188);
    Tick(900);
  };
  const struct {
    std::function<void()> action;
    std::array<double, 3> seen;
    float clearRed, clearBlue;
    const char* what;
  } cases[] = {{enter, kFog, 0.92484f, 0.92473f, "Enter's day is the fog colour"},
               {enter, kBlack, 0, 0, "night"},
               {dice, kBright, 0.984f, 0.973f, "the dice's day is the bright one"}};
  for (const auto& c : cases) {
    c.action();
    Render(0);
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_NEAR(clear[0], c.clearRed, 1e-6) << c.what;
    EXPECT_NEAR(clear[2], c.clearBlue, 1e-6) << c.what;
    EXPECT_TRUE(Near(Colour(GL_FOG_COLOR), view.dayMode ? kFog : kBlack)) << c.what;
    EXPECT_TRUE(Near(At(0, 0), c.seen)) << c.what;
    EXPECT_TRUE(Near(At(kWidth - 1, kHeight - 1), c.seen)) << c.what;
  }
}

TEST_F(PictureTest, CellsTakeTheirTrackColourAndTints) {
  struct Case {
    int track;
    bool on, current, muted;
    std::array<double, 3> colour;
  };
  const Case cases[] = {
      // clang-format off
      {0, true, false, false, {1, 0.5, 0.5}},         {0, false, false, false, {1, 0.9, 0.9}},
      {0, true, true, false, {1, 0.74, 0.548}},       {0, false, true, false, {1, 0.948, 0.756}},
      {0, true, false, true, {0.632, 0.684, 0.316}},  {1, true, false, false, {1, 0.87043, 0.12957}},
      {2, true, false, false, {1, 0.22046, 0.77954}}, {24, true, false, false, {1, 0.5556, 0.4444}},
      // clang-format on
  };
  for (const Case& c : cases) {
    engine = EngineState();
    engine.accentTrack = 10;
    engine.PatternMatrix[c.track * kSteps + 2] = c.on ? 1 : 0;
    engine.trackMuted[c.track] = c.muted ? 1 : 0;
    Render(c.current ? 2 : 5);
    const auto [x, y] = BoxCentre(c.track, 2, engine.accentTrack);
    EXPECT_TRUE(Near(At(x, y), c.colour)) << c.track << c.on << c.current << c.muted;
  }
}

TEST_F(PictureTest, BoxesLieOnTheGridWithTheCurrentColumnDeeperAndTheAccentSetBack) {
  struct Case {
    int track, step, accent;
    double left, right, nearZ, farZ;
  };
  const Case cases[] = {
      // the current step is 3
      {0, 0, 5, -9.3775, -8.7725, -6.0, -4.5},     {0, 5, 0, -9.3775, -8.7725, 1.05, 2.55},
      {1, 5, 0, -8.62125, -8.01625, 1.5, 3.0},     {0, 3, 5, -9.3775, -8.7725, -1.725, 0.225},
      {0, 3, 0, -9.3775, -8.7725, -2.175, -0.225}, {24, 6, 0, 8.7725, 9.3775, 3.0, 4.5},
  };
  for (const Case& c : cases) {
    engine = EngineState();
    for (int cell = 0; cell < 200; ++cell) {  // a checkerboard: touching boxes differ
      engine.PatternMatrix[cell] = (cell / kSteps + cell % kSteps) % 2;
    }
    engine.accentTrack = c.accent;
    Render(3);
    const auto [x, y] = BoxCentre(c.track, c.step, c.accent);
    const auto colour = At(x, y);
    const int left = x - Stretch(x, y, -1, 0, colour), right = x + Stretch(x, y, 1, 0, colour);
    const int bottom = y - Stretch(x, y, 0, -1, colour), top = y + Stretch(x, y, 0, 1, colour);
    const double pixel = 1.1 / kPerX;
    EXPECT_NEAR(left / kPerX - 10, c.left, pixel) << c.track << " " << c.step;
    EXPECT_NEAR((right + 1) / kPerX - 10, c.right, pixel) << c.track << " " << c.step;
    EXPECT_NEAR(6.666 - (top + 1) / kPerZ, c.nearZ, pixel) << c.track << " " << c.step;
    EXPECT_NEAR(6.666 - bottom / kPerZ, c.farZ, pixel) << c.track << " " << c.step;
  }
}

TEST_F(PictureTest, SeenFromTheSideTheCurrentColumnStandsRaised) {
  // The tumble at a zero of its cosine keeps the tilt at 0: world y runs up the screen.
  view.tableRotation = 2;
  view.tableTilt = 0.0f;
  view.tiltPhaseSet = true;
  view.tiltPhase = M_PI / 2 / 0.4;
  Render(3);
  const int x = BoxCentre(4, 0, engine.accentTrack).first;
  const int bottom = Stretch(x, -1, 0, 1, kBlack),
            top = kHeight - 1 - Stretch(x, kHeight, 0, -1, kBlack);
  // Boxes span -0.28 to 0.12; the current one, raised by 0.2 and 1.1 times as high, reaches 0.342.
  EXPECT_NEAR(bottom / kPerZ - 6.666, -0.28, 1.1 / kPerZ);
  EXPECT_NEAR((top + 1) / kPerZ - 6.666, 0.342, 1.1 / kPerZ);
}

TEST_F(PictureTest, EveryFaceOfABoxIsWoundCounterClockwiseFromOutside) {
  // A box in front of each face in turn: with back faces culled, only a face turned to the viewer
  // as a counter-clockwise one is drawn.
  const std::pair<double, int> turns[] = {{0, 1}, {180, 1}, {90, 1}, {-90, 1}, {90, 0}, {-90, 0}};
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-1, 1, -1, 1, -10, 10);
  glMatrixMode(GL_MODELVIEW);
  glEnable(GL_CULL_FACE);
  glCullFace(GL_BACK);
  glFrontFace(GL_CCW);
  glDisable(GL_FOG);
  for (const auto& [degrees, axis] : turns) {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    glRotated(degrees, axis == 0 ? 1 : 0, axis, 0);
    glColor3f(1, 1, 1);
    DrawBox(0.5f, 0.5f, 0.5f);
    glFinish();
    EXPECT_TRUE(Near(At(kWidth / 2, kHeight / 2), {1, 1, 1})) << degrees << " about " << axis;
  }
  glEnable(GL_FOG);
}

TEST_F(PictureTest, AFrameDrawsTheStateItStartsWithThenTicksTwice) {
  engine.mutationChance = 0;
  view.tiltPhaseSet = true;
  engine.currentStep = engine.previousStep = 2;
  Seed(10);    // no die of the two ticks passes
  Show(1900);  // step 7
  EXPECT_EQ(saver.frameTimeMs, 1900u);
  EXPECT_EQ(engine.currentStep, 7);
  EXPECT_EQ(Draw(), 11726) << "two ticks of four dice: the ninth draw after seed 10";
  const std::array<double, 3> currentOff = {1, 0.948, 0.756}, off = {1, 0.9, 0.9};
  const auto at = [](int step) { return At(BoxCentre(0, step).first, BoxCentre(0, step).second); };
  EXPECT_TRUE(Near(at(2), currentOff) && Near(at(7), off)) << "drawn before the ticks";
  Show(1900);
  EXPECT_TRUE(Near(at(2), off) && Near(at(7), currentOff)) << "the next frame shows step 7";
  const GLenum enabled[] = {GL_CULL_FACE, GL_DEPTH_TEST, GL_BLEND, GL_FOG};
  for (GLenum capability : enabled) {
    EXPECT_TRUE(glIsEnabled(capability)) << capability;
  }
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING) || glIsEnabled(GL_TEXTURE_2D));
}

TEST_F(PictureTest, SeveralMonitorsShareOneCameraAndTwoTicksAFrame) {
  // A 320-wide monitor of full height and, right of it, one of the upper half over a gap.
  saver.monitorViewports = {{0, 0, 320, 480}, {320, 240, 320, 240}};
  engine.mutationChance = 0;
  view.tiltPhaseSet = true;
  view.tableRotation = 1;
  view.autoSpinRate = 0.5f;
  Seed(10);  // no die of the two ticks passes
  Render(7);
  glViewport(0, 0, kWidth, kHeight);
  EXPECT_EQ(Draw(), 11726) << "two ticks of four dice, not four";
  EXPECT_FLOAT_EQ(view.tableSpin, 0.5f) << "the camera placed once";
  EXPECT_FALSE(Near(At(160, 240), kBlack)) << "the table in the first monitor's middle";
  EXPECT_FALSE(Near(At(480, 360), kBlack)) << "and in the second's";
  EXPECT_TRUE(Near(At(480, 120), kBlack)) << "the gap below the second is background";
}
