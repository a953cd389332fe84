// The frame schedule's arithmetic: whole milliseconds as ostinel-render counts them.
#include "core/frame_schedule.h"

#include <cmath>

FrameSchedule::FrameSchedule(std::uint32_t startMs, std::uint64_t periodNumerator,
                             std::uint64_t periodDenominator)
    : startMs_(startMs),
      numerator_(periodNumerator > 0 ? periodNumerator : 1),
      denominator_(periodDenominator > 0 ? periodDenominator : 1) {}

std::uint64_t FrameSchedule::Offset(std::uint64_t frame) const {
  // frame × numerator / denominator without overflow for any frame of a run's life.
  return frame / denominator_ * numerator_ + frame % denominator_ * numerator_ / denominator_;
}

std::uint32_t FrameSchedule::TimeOf(std::uint64_t frame) const {
  return static_cast<std::uint32_t>(startMs_ + Offset(frame));
}

double FrameSchedule::OffsetOf(std::uint64_t frame) const {
  return static_cast<double>(Offset(frame));
}

FrameSchedule::Due FrameSchedule::Take(double elapsedMs) {
  Due due;
  if (!(elapsedMs >= OffsetOf(next_))) {
    return due;  // not yet, or no time at all (NaN)
  }
  // The last frame due: the largest k with Offset(k) <= elapsed, found from its estimate.
  const double whole = std::floor(elapsedMs);
  auto last = static_cast<std::uint64_t>(whole * static_cast<double>(denominator_) /
                                         static_cast<double>(numerator_));
  while (last > next_ && static_cast<double>(Offset(last)) > whole) {
    --last;
  }
  while (static_cast<double>(Offset(last + 1)) <= whole) {
    ++last;
  }
  due.first = next_;
  if (OffsetOf(last) - OffsetOf(next_) > kLongestBacklogMs) {
    due.first = last;
  }
  due.count = last - due.first + 1;
  next_ = last + 1;
  return due;
}
