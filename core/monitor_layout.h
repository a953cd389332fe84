// Where each monitor lies inside a window that spans all of them: the monitors' rectangles as the
// system reports them, turned into GL viewports of that window.
#pragma once

#include <cstdint>
#include <vector>

// A rectangle in screen pixels, y downwards; right and bottom lie just outside it.
struct ScreenRect {
  std::int32_t left, top, right, bottom;
};

// A GL viewport: from the window's bottom-left corner, y upwards.
struct Viewport {
  std::int32_t x, y, width, height;
};

inline bool operator==(const Viewport& a, const Viewport& b) {
  return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

// One viewport per monitor, in the monitors' order, for a window covering `window`. A monitor that
// is empty or shows no part of the window gets none, and a mirror of an earlier one (same
// rectangle) none either, so the table is never drawn twice over the same pixels.
std::vector<Viewport> MonitorViewports(const ScreenRect& window,
                                       const std::vector<ScreenRect>& monitors);
