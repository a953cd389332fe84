// The picture: one box per cell of the pattern, 25 tracks by 8 steps, drawn from a frame, which
// holds all a picture shows.
#pragma once

struct Frame;

// Applies the frame's look, clears colour and depth, draws the scene and flushes; the caller then
// swaps buffers.
void RenderFrame(const Frame& frame);

// One frame's scene: identity, blending, the camera, the 200 boxes on each monitor.
void DrawScene(const Frame& frame);

// A box with half-extents hx, hy, hz centred on the current origin: six quads, counter-clockwise
// from outside. The model-view matrix is the same after it as before.
void DrawBox(float hx, float hy, float hz);
