// The picture: one box per cell of the pattern, 25 tracks by 8 steps, and the frame's order of
// clock, camera, boxes and sequencer ticks.
#pragma once

#include <vector>

#include "core/monitor_layout.h"

// The monitors of a window that spans several, each drawn into with the same camera. With none or
// one, a frame draws into the viewport the scene set up and makes no viewport call of its own.
void SetMonitorViewports(const std::vector<Viewport>& viewports);

// Applies the look, clears colour and depth, draws the scene and flushes; the caller then swaps
// buffers.
void RenderFrame();

// One frame: identity, blending, the frame's time, the camera, the 200 boxes on each monitor, two
// ticks.
void DrawScene();

// A box with half-extents hx, hy, hz centred on the current origin: six quads, counter-clockwise
// from outside. The model-view matrix is the same after it as before.
void DrawBox(float hx, float hy, float hz);
