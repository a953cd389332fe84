// The view in GL: the viewport, the fixed orthographic box with the camera's depth and tilt, the
// spin on the model-view matrix, and the look (clear colour and fog) of the view state.
#pragma once

#include <cstdint>

#include "core/view.h"

struct Saver;

// Once per window, with the GL context current: the view's set-up (SetUpView: spin rate, day or
// night, tilt), then the viewport, the projection and the look, with fog on.
void SetUpScene(Saver& saver, std::int32_t width, std::int32_t height);

// The window's new size, with the GL context current: the viewport that covers it.
void ResizeScene(std::int32_t width, std::int32_t height);

// With the identity in the model-view matrix: the camera as projection with depth offset and tilt,
// and as model-view with the spin.
void PlaceCamera(const Camera& camera);

// The look: clear colour and fog, by day or by night. Each frame applies its own before its clear,
// so a switch of day and night shows from the next frame on.
void ApplyLook(bool dayMode, const ClearColour& background);
