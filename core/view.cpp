// The view state: the set-up's draws, the camera's advance each frame, day and night, the drags.
#include "core/view.h"

#include <cmath>

#include "core/random.h"

namespace {

// The spin only ever reaches GL and the pan through a rotation and a cosine. Wrapping it to one
// turn keeps its single precision fine over hours of spinning, where the unwrapped sum would drift
// by whole degrees. It is not free: the rounding differs from the unwrapped value's, and pans can
// differ from it by 1 (of 10000), which no one hears.
float Wrapped(float degrees) {
  return std::fmod(degrees, 360.0f);
}

}  // namespace

void SetUpView(ViewState& view, Random& random, std::int32_t tableRotation) {
  view.tableRotation = tableRotation;
  view.autoSpinRate =
      static_cast<float>(((DrawRandom(random) % 1000) * 0.001 - 0.5) * view.tableRotation);
  view.dayMode = (DrawRandom(random) % 2) == 1;
  view.background = view.dayMode ? kDayFogColour : kNightColour;
  view.tableTilt = static_cast<float>(DrawRandom(random) % 20 + 10);
  view.viewDepth = -80.0f;
}

Camera UpdateCamera(ViewState& view, Random& random) {
  if (!view.tiltPhaseSet) {
    view.tiltPhase = DrawRandom(random);
    view.tiltPhaseSet = true;
  }
  if (view.tableRotation == 2) {
    view.tableTilt = static_cast<float>(view.tableTilt + std::cos(view.tiltPhase * 0.4) * 3.0);
  } else {
    view.tableTilt = 90.0f;
  }
  if (view.tableRotation != 0) {
    view.tableSpin = Wrapped(view.tableSpin + view.autoSpinRate);
  }
  // The frame turns by the spin before the drag's velocity is added to it.
  const Camera camera{view.viewDepth, view.tableTilt, view.tableSpin};
  view.tableSpin = Wrapped(view.tableSpin + view.spinVelocity);
  view.spinVelocity = static_cast<float>(view.spinVelocity * 0.93);
  view.tiltPhase += 0.00482;
  return camera;
}

void ToggleDayNight(ViewState& view, ClearColour dayClear) {
  view.dayMode = !view.dayMode;
  view.background = view.dayMode ? dayClear : kNightColour;
}

void ApplyLeftDrag(ViewState& view, std::int32_t dx, std::int32_t dy) {
  view.tableTilt = static_cast<float>(view.tableTilt + dy * 0.21);
  view.spinVelocity = static_cast<float>(dx * 0.171);
}

void ApplyRightDrag(ViewState& view, std::int32_t dx, std::int32_t dy) {
  const std::int64_t sum = static_cast<std::int64_t>(dx) + dy;
  view.viewDepth = static_cast<float>(view.viewDepth + static_cast<double>(sum) * 0.21);
  if (view.viewDepth < -150.0f) {
    view.viewDepth = -150.0f;
  } else if (view.viewDepth > 0.0f) {
    view.viewDepth = 0.0f;
  }
}
