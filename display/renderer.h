// The picture: one box per cell of the pattern, 25 tracks by 8 steps, and the frame's order of
// clock, camera, boxes and sequencer ticks.
#pragma once

class Clock;

// The clock a frame reads its time from (the multimedia timer on Windows, a virtual one when
// rendering offscreen). Set before the first frame.
extern Clock* frameClock;

// Clears colour and depth, draws the scene and flushes; the caller then swaps buffers.
void RenderFrame();

// One frame: identity, blending, the frame's time, the camera, the 200 boxes, two ticks.
void DrawScene();

// A box with half-extents hx, hy, hz centred on the current origin: six quads, counter-clockwise
// from outside. The model-view matrix is the same after it as before.
void DrawBox(float hx, float hy, float hz);
