// The view state and the GL projection, model-view spin and look it gives.
#include "core/view.h"

#include <cmath>

#include "core/random.h"
#include "core/saver_context.h"
#include "core/shared_state.h"
#include "gl/gl.h"

ViewState view;

namespace {

const GLfloat kNightColour[4] = {0.0f, 0.0f, 0.0f, 1.0f};

// The fixed orthographic box: it does not follow the window's aspect ratio.
void LoadOrthographicBox() {
  glLoadIdentity();
  glOrtho(-10.0, 10.0, -6.666, 6.666, -1000.0, 1000.0);
}

void ApplyLook(bool day, ClearColour dayClear) {
  if (day) {
    glClearColor(dayClear.red, dayClear.green, dayClear.blue, 1.0f);
    const GLfloat fog[4] = {kDayFogColour.red, kDayFogColour.green, kDayFogColour.blue, 1.0f};
    glFogfv(GL_FOG_COLOR, fog);
  } else {
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glFogfv(GL_FOG_COLOR, kNightColour);
  }
  glFogf(GL_FOG_START, 60.0f);
  glFogf(GL_FOG_END, 110.0f);
  glFogi(GL_FOG_MODE, GL_LINEAR);
  glFogf(GL_FOG_DENSITY, 1.0f);
}

// The spin only ever reaches GL and the pan through a rotation and a cosine. Wrapping it to one
// turn keeps its single precision fine over hours of spinning, where the unwrapped sum would drift
// by whole degrees. It is not free: the rounding differs from the unwrapped value's, and pans can
// differ from it by 1 (of 10000), which no one hears.
float Wrapped(float degrees) { return std::fmod(degrees, 360.0f); }

}  // namespace

void SetUpScene(std::int32_t width, std::int32_t height) {
  view.tableRotation = saverContext != nullptr ? saverContext->params[kRotationParam] : 0;
  view.autoSpinRate =
      static_cast<float>(((DrawRandom() % 1000) * 0.001 - 0.5) * view.tableRotation);
  view.dayMode = (DrawRandom() % 2) == 1;
  ResizeScene(width, height);
  glMatrixMode(GL_PROJECTION);
  LoadOrthographicBox();
  glMatrixMode(GL_MODELVIEW);
  view.tableTilt = static_cast<float>(DrawRandom() % 20 + 10);
  view.viewDepth = -80.0f;
  ApplyLook(view.dayMode, kDayFogColour);
  glEnable(GL_FOG);
}

void ResizeScene(std::int32_t width, std::int32_t height) {
  glViewport(0, 0, width, height);
}

void UpdateCamera() {
  if (!view.tiltPhaseSet) {
    view.tiltPhase = DrawRandom();
    view.tiltPhaseSet = true;
  }
  glMatrixMode(GL_PROJECTION);
  LoadOrthographicBox();
  glTranslatef(0.0f, 0.0f, view.viewDepth);
  if (view.tableRotation == 2) {
    view.tableTilt = static_cast<float>(view.tableTilt + std::cos(view.tiltPhase * 0.4) * 3.0);
  } else {
    view.tableTilt = 90.0f;
  }
  glRotatef(view.tableTilt, 1.0f, 0.0f, 0.0f);

  glMatrixMode(GL_MODELVIEW);
  if (view.tableRotation != 0) {
    view.tableSpin = Wrapped(view.tableSpin + view.autoSpinRate);
  }
  glRotatef(view.tableSpin, 0.0f, 1.0f, 0.0f);
  view.tableSpin = Wrapped(view.tableSpin + view.spinVelocity);
  view.spinVelocity = static_cast<float>(view.spinVelocity * 0.93);
  view.tiltPhase += 0.00482;
}

void ToggleDayNight(ClearColour dayClear) {
  view.dayMode = !view.dayMode;
  ApplyLook(view.dayMode, dayClear);
}

void ApplyLeftDrag(std::int32_t dx, std::int32_t dy) {
  view.tableTilt = static_cast<float>(view.tableTilt + dy * 0.21);
  view.spinVelocity = static_cast<float>(dx * 0.171);
}

void ApplyRightDrag(std::int32_t dx, std::int32_t dy) {
  const std::int64_t sum = static_cast<std::int64_t>(dx) + dy;
  view.viewDepth = static_cast<float>(view.viewDepth + static_cast<double>(sum) * 0.21);
  if (view.viewDepth < -150.0f) {
    view.viewDepth = -150.0f;
  } else if (view.viewDepth > 0.0f) {
    view.viewDepth = 0.0f;
  }
}
