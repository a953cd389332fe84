// The view on a real GL: what the set-up draws and sets, the matrices a frame leaves, the day and
// night look, and the mouse drags.
#include <gtest/gtest.h>

#include <array>
#include <climits>
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

// 4 × 4 matrices in GL's column-major order.
using Matrix = std::array<double, 16>;

Matrix Identity() {
  return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
}

Matrix operator*(const Matrix& a, const Matrix& b) {
  Matrix m{};
  for (int col = 0; col < 4; ++col) {
    for (int row = 0; row < 4; ++row) {
      for (int k = 0; k < 4; ++k) {
        m[col * 4 + row] += a[k * 4 + row] * b[col * 4 + k];
      }
    }
  }
  return m;
}

// The view's orthographic box, which ignores the window's aspect ratio.
Matrix OrthoBox() {
  Matrix m = Identity();
  m[0] = 2.0 / 20.0;
  m[5] = 2.0 / (2 * 6.666);
  m[10] = -2.0 / 2000.0;
  return m;
}

Matrix TranslateZ(double z) {
  Matrix m = Identity();
  m[14] = z;
  return m;
}

// A rotation by `degrees` about X (axis 0) or Y (axis 1): it turns axis i towards axis j.
Matrix Rotate(double degrees, int axis) {
  const int i = axis == 0 ? 1 : 2;
  const int j = axis == 0 ? 2 : 0;
  const double r = degrees * M_PI / 180.0;
  Matrix m = Identity();
  m[i * 4 + i] = m[j * 4 + j] = std::cos(r);
  m[i * 4 + j] = std::sin(r);
  m[j * 4 + i] = -std::sin(r);
  return m;
}

void ExpectMatrix(GLenum which, const Matrix& expected, const char* what) {
  GLfloat actual[16];
  glGetFloatv(which, actual);
  for (int i = 0; i < 16; ++i) {
    EXPECT_NEAR(actual[i], expected[i], 2e-5) << what << ", element " << i;
  }
}

std::array<GLfloat, 4> Get(GLenum what) {
  std::array<GLfloat, 4> v{};
  glGetFloatv(what, v.data());
  return v;
}

void ExpectColour(GLenum which, ClearColour expected, const char* what) {
  const std::array<GLfloat, 4> v = Get(which);
  EXPECT_NEAR(v[0], expected.red, 1e-6) << what;
  EXPECT_NEAR(v[1], expected.green, 1e-6) << what;
  EXPECT_NEAR(v[2], expected.blue, 1e-6) << what;
}

constexpr ClearColour kBlack = {0.0f, 0.0f, 0.0f};

class ViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SceneContext();
    engine = EngineState();
    view = ViewState();
    saverContext = &context_;
    frameClock = &clock_;
  }
  void TearDown() override {
    saverContext = nullptr;
    frameClock = nullptr;
  }

  // A frame's camera, as DrawScene runs it.
  static void Camera() {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    UpdateCamera();
  }

  SaverContext context_;
  FakeClock clock_;
};

TEST_F(ViewTest, SetUpDrawsSpinRateDayAndTiltInThatOrder) {
  struct Case {
    int rotation;
    bool day;
    int width, height;
  };
  const Case cases[] = {
      {0, true, 640, 480}, {1, false, 320, 200}, {2, true, 640, 480}, {3, false, 640, 480}};
  for (const Case& c : cases) {
    context_.params[kRotationParam] = c.rotation;
    const std::uint32_t seed = SeedWhere(
        [&](const std::vector<int>& d) { return d[0] % 1000 != 500 && (d[1] % 2 == 1) == c.day; });
    const std::vector<int> d = DrawsFrom(seed, 4);
    SeedRandom(seed);
    SetUpScene(c.width, c.height);

    EXPECT_EQ(view.tableRotation, c.rotation);
    EXPECT_FLOAT_EQ(view.autoSpinRate, ((d[0] % 1000) * 0.001 - 0.5) * c.rotation) << c.rotation;
    EXPECT_EQ(view.dayMode, c.day);
    EXPECT_EQ(view.tableTilt, d[2] % 20 + 10);
    EXPECT_EQ(view.viewDepth, -80.0f);
    EXPECT_EQ(DrawRandom(), d[3]) << "exactly three draws";

    GLint viewport[4], mode = 0;
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(std::vector<GLint>(viewport, viewport + 4),
              (std::vector<GLint>{0, 0, c.width, c.height}));
    ExpectMatrix(GL_PROJECTION_MATRIX, OrthoBox(), "set-up projection");
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    ExpectColour(GL_COLOR_CLEAR_VALUE, c.day ? kDayFogColour : kBlack, "clear");
    ExpectColour(GL_FOG_COLOR, c.day ? kDayFogColour : kBlack, "fog");
    EXPECT_TRUE(glIsEnabled(GL_FOG));
    EXPECT_EQ(Get(GL_FOG_MODE)[0], GL_LINEAR);
    EXPECT_EQ(Get(GL_FOG_START)[0], 60.0f);
    EXPECT_EQ(Get(GL_FOG_END)[0], 110.0f);
    EXPECT_EQ(Get(GL_FOG_DENSITY)[0], 1.0f);
  }
}

TEST_F(ViewTest, FramesTiltSpinAndSetBackTheTable) {
  struct Case {
    const char* what;
    int rotation;
    float rate, velocity, spin, depth;
    double spun1, after1, spun3, after3;  // the spin drawn in frames 1 and 3, and after each
  };
  const Case cases[] = {
      {"off: the drag alone spins", 0, 0.3f, 2, 10, -80, 10, 12, 13.86, 15.5898},
      {"on", 1, 0.3f, 2, 10, -150, 10.3, 12.3, 14.76, 16.4898},
      {"aggressive", 2, -0.4f, 0, 0, 0, -0.4, -0.4, -1.2, -1.2},
      {"a stored 3 spins faster", 3, 0.9f, 0, 0, -80, 0.9, 0.9, 2.7, 2.7},
      {"past a turn", 1, 0.5f, 1, 359, -80, 359.5, 0.5, 2.43, 3.2949},
      {"back past a turn", 1, -0.5f, -1, -359, -80, -359.5, -0.5, -2.43, -3.2949},
  };
  for (const Case& c : cases) {
    view = ViewState();
    view.tableRotation = c.rotation;
    view.autoSpinRate = c.rate;
    view.spinVelocity = c.velocity;
    view.tableSpin = c.spin;
    view.viewDepth = c.depth;
    view.tableTilt = 25.0f;
    SeedRandom(77);
    const std::vector<int> d = DrawsFrom(77, 2);
    double tilt = 25.0;
    double phase = d[0];
    for (int frame = 1; frame <= 3; ++frame) {
      Camera();
      tilt = c.rotation == 2 ? tilt + std::cos(phase * 0.4) * 3 : 90.0;
      phase += 0.00482;
      if (frame == 2) {
        continue;
      }
      SCOPED_TRACE(::testing::Message() << c.what << ", frame " << frame);
      EXPECT_NEAR(view.tableTilt, tilt, 1e-4);
      ExpectMatrix(GL_PROJECTION_MATRIX, OrthoBox() * TranslateZ(c.depth) * Rotate(tilt, 0),
                   "projection");
      ExpectMatrix(GL_MODELVIEW_MATRIX, Rotate(frame == 1 ? c.spun1 : c.spun3, 1), "model-view");
      EXPECT_NEAR(view.tableSpin, frame == 1 ? c.after1 : c.after3, 1e-4);
    }
    EXPECT_EQ(DrawRandom(), d[1]) << c.what << ": the tumble's phase is drawn once";
  }
}

TEST_F(ViewTest, DayAndNightSetBackgroundAndFog) {
  struct Case {
    const char* what;
    bool startDay;
    ClearColour passed, clear, fog;
  };
  const Case cases[] = {
      {"day by Enter", false, kDayFogColour, kDayFogColour, kDayFogColour},
      {"day by the dice", false, kBrightDayColour, kBrightDayColour, kDayFogColour},
      {"night", true, kBrightDayColour, kBlack, kBlack},
  };
  const OffscreenContext& gl = SceneContext();
  for (const Case& c : cases) {
    SeedRandom(5);
    SetUpScene(gl.width(), gl.height());
    view.dayMode = c.startDay;
    ToggleDayNight(c.passed);
    EXPECT_EQ(view.dayMode, !c.startDay) << c.what;
    ExpectColour(GL_COLOR_CLEAR_VALUE, c.clear, c.what);
    ExpectColour(GL_FOG_COLOR, c.fog, c.what);
    EXPECT_EQ(Get(GL_FOG_START)[0], 60.0f) << c.what;
    EXPECT_EQ(Get(GL_FOG_END)[0], 110.0f) << c.what;

    // Straight down (rotation 0), the corners are clear of the table.
    RenderFrame();
    glFinish();
    for (const auto& [x, y] : {std::pair{0, 0}, std::pair{gl.width() - 1, gl.height() - 1}}) {
      const std::uint8_t* p = gl.Pixel(x, y);
      EXPECT_NEAR(p[0], c.clear.red * 255, 1.0) << c.what << " at " << x;
      EXPECT_NEAR(p[1], c.clear.green * 255, 1.0) << c.what << " at " << x;
      EXPECT_NEAR(p[2], c.clear.blue * 255, 1.0) << c.what << " at " << x;
    }
  }
}

TEST_F(ViewTest, LeftDragTiltsAndReplacesTheSpinVelocity) {
  struct Case {
    int dx, dy;
    float velocity, tilt;
  };
  const Case cases[] = {{10, 0, 1.71f, 30.0f}, {-4, 10, -0.684f, 32.1f}, {0, -100, 0.0f, 9.0f}};
  for (const Case& c : cases) {
    view.tableTilt = 30.0f;
    view.spinVelocity = 5.0f;
    ApplyLeftDrag(c.dx, c.dy);
    EXPECT_FLOAT_EQ(view.spinVelocity, c.velocity) << c.dx;
    EXPECT_FLOAT_EQ(view.tableTilt, c.tilt) << c.dy;
  }

  // The velocity decays by 0.93 a frame: a flick of 10 pixels turns the table 1.71 / 0.07 degrees.
  view = ViewState();
  view.tiltPhaseSet = true;
  ApplyLeftDrag(10, 0);
  for (int frame = 0; frame < 400; ++frame) {
    Camera();
  }
  EXPECT_NEAR(view.tableSpin, 24.4286, 1e-3);
  EXPECT_LT(std::fabs(view.spinVelocity), 1e-9);
}

TEST_F(ViewTest, RightDragMovesTheDepthWithinItsRange) {
  struct Case {
    int dx, dy;
    float depth;
  };
  const Case cases[] = {
      {10, 0, -77.9f},          {0, -10, -82.1f},
      {380, 0, -0.2f},          {500, 500, 0.0f},
      {-500, -500, -150.0f},    {-333, 0, -149.93f},
      {INT_MAX, INT_MAX, 0.0f}, {INT_MIN, INT_MIN, -150.0f},
  };
  for (const Case& c : cases) {
    view.viewDepth = -80.0f;
    ApplyRightDrag(c.dx, c.dy);
    EXPECT_NEAR(view.viewDepth, c.depth, 1e-4) << c.dx << ", " << c.dy;
  }
}

}  // namespace
