// The play latency's rule: up at once to what a play needed, never past its limit, down slowly once
// the needs are remembered no longer; with the rule the tests pick and with the hack's.
#include "audio/play_latency.h"

#include <gtest/gtest.h>

#include <vector>

#include "audio/software_mixer.h"

TEST(PlayLatency, GrowsAtOnceStopsAtItsLimitAndShrinksSlowlyWhenQuiet) {
  struct Step {
    const char* what;
    double nowMs;
    double needMs;  // < 0: none noted
    double latencyMs;
  };
  struct Run {
    PlayLatency::Rule rule;
    std::vector<Step> steps;
  };
  const Run runs[] = {
      // From 38 ms, between 20 and 150, 10 ms over the needs of the last 2 s, down 20 ms a second.
      {{38, 20, 150, 10, 2000, 20},
       {
           {"at first", 0, -1, 38},
           {"on its way down from the start", 100, 20, 36},
           {"quiet for a second: 20 ms down, to the need plus the margin", 1100, -1, 30},
           {"a play near late: at once to its need plus the margin", 1200, 45, 55},
           {"held while the need is remembered", 3200, -1, 55},
           {"then 20 ms a second down to what is left", 3700, -1, 45},
           {"but no lower than the needs ask", 5000, -1, 20},
           {"a stall: up to the limit, no further", 5100, 400, 150},
           {"held two seconds, then down 20 ms a second", 8100, -1, 130},
       }},
      // The hack's: from 38 ms and never below, 15 ms over the needs of the last 10 s, up to
      // 150 ms, down 2 ms a second.
      {kRealTimePlayLatency,
       {
           {"the hack's, at first", 0, -1, 38},
           {"a need more than the margin below: unchanged", 500, 20, 38},
           {"a play near late: 15 ms over its need at once", 1000, 30, 45},
           {"held while remembered, 10 s", 11000, -1, 45},
           {"then 2 ms a second down", 13500, -1, 40},
           {"never below 38 ms", 20000, -1, 38},
           {"a stall: the limit, 150 ms", 20100, 400, 150},
           {"a lesser need meanwhile does not lower it", 21000, 100, 150},
           {"10 s on, 2 ms a second down toward what that need asks", 31000, -1, 148.2},
           {"and on down once it is forgotten too", 40100, -1, 130},
       }},
  };
  for (const Run& run : runs) {
    PlayLatency latency(run.rule);
    for (const Step& s : run.steps) {
      if (s.needMs >= 0) {
        latency.Note(s.needMs, s.nowMs);
      }
      EXPECT_NEAR(latency.At(s.nowMs), s.latencyMs, 1e-9) << s.what;
    }
  }
  PlayLatency hacks(kRealTimePlayLatency);
  EXPECT_TRUE(hacks.BeyondLimit(151));
  EXPECT_FALSE(hacks.BeyondLimit(150));
}
