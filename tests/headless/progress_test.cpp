// The progress line: frames done of all, percent, video time rendered per wall second, and the
// time left at that speed.
#include <gtest/gtest.h>

#include "headless/progress.h"

TEST(ProgressLine, FiguresFromFramesAndWallTime) {
  struct Case {
    std::uint64_t done, total;
    std::uint32_t fps;
    double elapsed;
    const char* line;
  };
  for (const Case& c : {
           Case{0, 240, 30, 0.0, "frame 0 of 240, 0%"},
           // 60 frames at 30 a second are 2 s of video in 1 s; 180 left at 60 a second: 3 s.
           Case{60, 240, 30, 1.0, "frame 60 of 240, 25%, 2.0x real time, 0:03 left"},
           // 30 frames a second at 60 fps: half real time; 213000 frames left take 7100 s.
           Case{3000, 216000, 60, 100.0, "frame 3000 of 216000, 1%, 0.5x real time, 1:58:20 left"},
           // 1 frame in 2 s: 199 left take 398 s, 6:38.
           Case{1, 200, 25, 2.0, "frame 1 of 200, 0%, 0.0x real time, 6:38 left"},
           Case{90, 90, 30, 1.5, "frame 90 of 90, 100%, 2.0x real time, 0:00 left"},
       }) {
    EXPECT_EQ(ProgressLine(c.done, c.total, c.fps, c.elapsed), c.line)
        << c.done << " of " << c.total;
  }
}
