// Monitor rectangles, y downwards, to viewports from the window's bottom-left, y upwards.
#include "core/monitor_layout.h"

#include <gtest/gtest.h>

#include <ostream>

void PrintTo(const Viewport& v, std::ostream* os) {
  *os << v.x << "," << v.y << " " << v.width << "x" << v.height;
}

namespace {

TEST(MonitorLayoutTest, EachMonitorGetsItsPartOfTheWindowWithGlsOriginBottomLeft) {
  struct Case {
    const char* what;
    ScreenRect window;
    std::vector<ScreenRect> monitors;
    std::vector<Viewport> viewports;
  };
  const Case cases[] = {
      {"side by side, the smaller one level with the top",
       {0, 0, 2304, 800},
       {{0, 0, 1280, 800}, {1280, 0, 2304, 768}},
       {{0, 0, 1280, 800}, {1280, 32, 1024, 768}}},
      {"stacked: the upper one lies higher in GL",
       {0, 0, 1920, 2160},
       {{0, 0, 1920, 1080}, {0, 1080, 1920, 2160}},
       {{0, 1080, 1920, 1080}, {0, 0, 1920, 1080}}},
      {"primary right of a smaller secondary: the window starts at -1024",
       {-1024, 0, 1280, 1024},
       {{0, 0, 1280, 1024}, {-1024, 0, 0, 768}},
       {{1024, 0, 1280, 1024}, {0, 256, 1024, 768}}},
      {"a mirror, an empty monitor and one beside the window get nothing",
       {0, 0, 1280, 800},
       {{0, 0, 1280, 800}, {0, 0, 1280, 800}, {5, 5, 5, 900}, {1280, 0, 2304, 768}},
       {{0, 0, 1280, 800}}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MonitorViewports(c.window, c.monitors), c.viewports) << c.what;
  }
}

}  // namespace
