// Frames on their own clock: ostinel-render's frame times, the frames due as time goes by, and a
// long backlog skipped.
#include "core/frame_schedule.h"

#include <gtest/gtest.h>

TEST(FrameSchedule, FrameTimesAreTheRendersAndTheDueFramesRunInOrderOrSkipALongBacklog) {
  // ostinel-render --fps 60: frame k at floor(k × 1000 / 60); the hack's --delay 16666: k × 16.666.
  const FrameSchedule sixty(0, 1000, 60), delay(7, 16666, 1000), wrapping(4294967290u, 1000, 60);
  const std::pair<std::uint64_t, std::uint32_t> times[] = {{1, 16}, {2, 33}, {3, 50}, {60, 1000}};
  for (const auto& [frame, ms] : times) {
    EXPECT_EQ(sixty.TimeOf(frame), ms) << frame;
  }
  EXPECT_EQ(delay.TimeOf(3), 7u + 49u);
  EXPECT_EQ(delay.TimeOf(600), 7u + 9999u);
  EXPECT_EQ(wrapping.TimeOf(1), 10u) << "the timer wraps at 2^32";

  struct Step {
    double elapsedMs;
    std::uint64_t first, count;
  };
  const Step steps[] = {
      {-3, 0, 0},       {0, 0, 1},   {15.9, 0, 0}, {16, 1, 1},
      {49.9, 2, 1},     {100, 3, 4}, {100, 0, 0},  // the same moment twice: nothing
      {1100, 7, 60},                               // a second's backlog is run whole
      {7000, 420, 1},                              // six seconds asleep: only the last frame due
      {7016.7, 421, 1},
  };
  FrameSchedule schedule(0, 1000, 60);
  for (const Step& s : steps) {
    const FrameSchedule::Due due = schedule.Take(s.elapsedMs);
    EXPECT_EQ(due.count, s.count) << s.elapsedMs;
    if (s.count > 0) {
      EXPECT_EQ(due.first, s.first) << s.elapsedMs;
    }
  }
  EXPECT_EQ(schedule.next(), 422u);
  EXPECT_EQ(schedule.NextDueMs(), 7033.0);
}
