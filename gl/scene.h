// The view in GL: the viewport, the fixed orthographic box with the camera's depth and tilt, the
// spin on the model-view matrix, and the look (clear colour and fog) of the view state.
#pragma once

#include <cstdint>

// Once per window, with the GL context current: the view's set-up (SetUpView: spin rate, day or
// night, tilt), then the viewport, the projection and the look, with fog on.
void SetUpScene(std::int32_t width, std::int32_t height);

// The window's new size, with the GL context current: the viewport that covers it.
void ResizeScene(std::int32_t width, std::int32_t height);

// Once per frame, with the identity in the model-view matrix: the frame's camera (NextCamera) as
// projection with depth offset and tilt, and model-view with the spin.
void UpdateCamera();

// The look of the view state: clear colour and fog. Each frame applies it before its clear, so a
// switch of day and night shows from the next frame on.
void ApplyLook();
