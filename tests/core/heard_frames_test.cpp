// The frame to draw where the sound is heard a latency after its frames run: the one of the moment
// heard, never an older one.
#include "core/heard_frames.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

TEST(HeardFrames, ShowsTheLatestFrameOfTheMomentHeardNeverGoingBack) {
  struct Step {
    const char* what;
    std::vector<double> added;  // frames run, named by their offsets
    double heardMs;
    double shown;  // NAN: nothing new to draw
    double nextHeardMs;
  };
  const double kNone = NAN, kNever = INFINITY;
  const Step steps[] = {
      {"nothing run yet", {}, -40, kNone, kNever},
      {"the first frame, before it is heard", {0}, -40, 0, kNever},
      {"shown once", {}, -30, kNone, kNever},
      {"frames run ahead of the sound: still the first", {16, 33}, 10, kNone, 16},
      {"the one heard", {}, 16, 16, 33},
      {"frames heard meanwhile are passed over", {50, 66}, 60, 50, 66},
      {"the latency grew: the picture waits, never going back", {83}, 40, kNone, 66},
      {"no draw for over a second: the frames heard by a second before the newest let go",
       {1100},
       40,
       83,
       1100},
  };
  HeardFrames frames;
  for (const Step& s : steps) {
    for (double offset : s.added) {
      Frame frame;
      frame.frameTimeMs = static_cast<std::uint32_t>(offset);
      frames.Add(0, offset, std::move(frame));
    }
    const Frame* shown = frames.ToShow(s.heardMs);
    if (std::isnan(s.shown)) {
      EXPECT_EQ(shown, nullptr) << s.what;
    } else {
      ASSERT_NE(shown, nullptr) << s.what;
      EXPECT_EQ(shown->frameTimeMs, s.shown) << s.what;
    }
    EXPECT_EQ(frames.NextHeardMs(), s.nextHeardMs) << s.what;
  }
}
