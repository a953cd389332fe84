// The view of the table: orthographic projection, tilt and depth offset, spin, and the day and
// night look (clear colour and fog).
#pragma once

#include <cstdint>

struct ViewState {
  std::int32_t tableRotation = 0;  // the Table Rotation setting: 0 off, 1 on, 2 aggressive
  float autoSpinRate = 0;          // degrees per frame while tableRotation is not 0
  float tableSpin = 0;             // degrees about Y, kept within (-360, 360)
  float spinVelocity = 0;          // degrees per frame from a left drag, decaying
  float tableTilt = 0;             // degrees about X, on the projection
  float viewDepth = 0;             // translation along Z, on the projection, within [-150, 0]
  double tiltPhase = 0;            // phase of the aggressive tumble
  bool tiltPhaseSet = false;       // tiltPhase takes its draw on the first frame
  bool dayMode = true;
};

struct ClearColour {
  float red;
  float green;
  float blue;
};

// The background by day after the set-up and the Enter key, which is also the fog colour by day;
// the brighter background after a switch by the sequencer's dice.
inline constexpr ClearColour kDayFogColour = {0.92484f, 0.92486f, 0.92473f};
inline constexpr ClearColour kBrightDayColour = {0.984f, 0.986f, 0.973f};

// Once per window, with the GL context current: viewport, projection, the random spin rate, day
// or night and tilt (three draws, in that order). Reads the rotation setting from saverContext.
void SetUpScene(std::int32_t width, std::int32_t height);

// The window's new size, with the GL context current: the viewport that covers it.
void ResizeScene(std::int32_t width, std::int32_t height);

// Once per frame, with the identity in the model-view matrix: projection with depth offset and
// tilt, model-view with the spin; advances spin, tilt and phase.
void UpdateCamera();

// Flips day and night; `dayClear` is the background if the new mode is day.
void ToggleDayNight(ClearColour dayClear);

// Mouse drags, in screen pixels since the last position (y downwards).
void ApplyLeftDrag(std::int32_t dx, std::int32_t dy);
void ApplyRightDrag(std::int32_t dx, std::int32_t dy);
