// Monitor rectangles to viewports: the window's y runs down the screen, GL's up from its bottom.
#include "core/monitor_layout.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

std::vector<Viewport> MonitorViewports(const ScreenRect& window,
                                       const std::vector<ScreenRect>& monitors) {
  std::vector<Viewport> viewports;
  for (const ScreenRect& m : monitors) {
    // 64-bit: the system's rectangles are trusted for nothing, not even to subtract safely.
    const std::int64_t width = std::int64_t{m.right} - m.left;
    const std::int64_t height = std::int64_t{m.bottom} - m.top;
    const std::int64_t y = std::int64_t{window.bottom} - m.bottom;
    const std::int64_t x = std::int64_t{m.left} - window.left;
    const bool overlaps = m.left < window.right && m.right > window.left && m.top < window.bottom &&
                          m.bottom > window.top;
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    if (width <= 0 || height <= 0 || !overlaps || width > kMax || height > kMax ||
        std::abs(x) > kMax || std::abs(y) > kMax) {
      continue;
    }
    const Viewport v{static_cast<std::int32_t>(x), static_cast<std::int32_t>(y),
                     static_cast<std::int32_t>(width), static_cast<std::int32_t>(height)};
    if (std::find(viewports.begin(), viewports.end(), v) == viewports.end()) {
      viewports.push_back(v);
    }
  }
  return viewports;
}
