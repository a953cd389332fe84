// The view of the table as state: tilt and depth offset, spin, and the day and night look
// (background and fog colour). gl/ turns it into the projection and model-view matrices, the clear
// colour and the fog.
#pragma once

#include <cstdint>

struct ClearColour {
  float red;
  float green;
  float blue;
};

// The background by day after the set-up and the Enter key, which is also the fog colour by day;
// the brighter background after a switch by the sequencer's dice; night's background and fog.
inline constexpr ClearColour kDayFogColour = {0.92484f, 0.92486f, 0.92473f};
inline constexpr ClearColour kBrightDayColour = {0.984f, 0.986f, 0.973f};
inline constexpr ClearColour kNightColour = {0.0f, 0.0f, 0.0f};

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
  // The look's background: by day the colour its switch to day chose, by night black.
  ClearColour background = kDayFogColour;
};

// What one frame is seen from: the depth and tilt on the projection, the spin on the model-view.
struct Camera {
  float viewDepth;
  float tableTilt;
  float tableSpin;
};

struct Random;

// Once per window: the rotation setting `tableRotation` (the Table Rotation setting), then the
// random spin rate, day or night and tilt (three draws, in that order), and the depth.
void SetUpView(ViewState& view, Random& random, std::int32_t tableRotation);

// Once per frame: the camera the frame is drawn from. Advances spin, tilt and phase (the phase
// takes its draw on the first frame).
Camera UpdateCamera(ViewState& view, Random& random);

// Flips day and night; `dayClear` is the background if the new mode is day.
void ToggleDayNight(ViewState& view, ClearColour dayClear);

// Mouse drags, in screen pixels since the last position (y downwards).
void ApplyLeftDrag(ViewState& view, std::int32_t dx, std::int32_t dy);
void ApplyRightDrag(ViewState& view, std::int32_t dx, std::int32_t dy);
