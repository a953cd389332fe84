// The play latency's rule: up at once to what a play needed, never past its limit, down slowly once
// the needs are remembered no longer.
#include "audio/play_latency.h"

#include <gtest/gtest.h>

TEST(PlayLatency, GrowsAtOnceStopsAtItsLimitAndShrinksSlowlyWhenQuiet) {
  // From 38 ms, between 20 and 150, 10 ms over the needs of the last 2 s, down 20 ms a second.
  PlayLatency latency(PlayLatency::Rule{38, 20, 150, 10, 2000, 20});
  struct Step {
    const char* what;
    double nowMs;
    double needMs;  // < 0: none noted
    double latencyMs;
  };
  const Step steps[] = {
      {"at first", 0, -1, 38},
      {"on its way down from the start", 100, 20, 36},
      {"quiet for a second: 20 ms down, to the need plus the margin", 1100, -1, 30},
      {"a play near late: at once to its need plus the margin", 1200, 45, 55},
      {"held while the need is remembered", 3200, -1, 55},
      {"then 20 ms a second down to what is left", 3700, -1, 45},
      {"but no lower than the needs ask", 5000, -1, 20},
      {"a stall: up to the limit, no further", 5100, 400, 150},
      {"held two seconds, then down 20 ms a second", 8100, -1, 130},
  };
  for (const Step& s : steps) {
    if (s.needMs >= 0) {
      latency.Note(s.needMs, s.nowMs);
    }
    EXPECT_DOUBLE_EQ(latency.At(s.nowMs), s.latencyMs) << s.what;
  }
  EXPECT_TRUE(latency.BeyondLimit(151));
  EXPECT_FALSE(latency.BeyondLimit(150));
}
