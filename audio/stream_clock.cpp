// The stream clock: an anchor, its wrap-aware arithmetic, and how a real-time stream follows it.
#include "audio/stream_clock.h"

#include <cmath>

namespace {

// An observation this far from the clock is a stall, not jitter.
constexpr double kJumpMs = 25.0;
// The share of an observation's distance the clock moves by: a wake-up late by 5 ms moves it
// 20 us, while a drift of 100 ppm (0.36 s an hour) is followed within about a second.
constexpr double kFollowGain = 1.0 / 256;

double Wrapped(double ms) {
  ms = std::fmod(ms, kTimerSpanMs);
  return ms < 0 ? ms + kTimerSpanMs : ms;
}

}  // namespace

double TimerDifference(double a, double b) {
  double d = std::fmod(b - a, kTimerSpanMs);
  if (d >= kTimerSpanMs / 2) {
    d -= kTimerSpanMs;
  } else if (d < -kTimerSpanMs / 2) {
    d += kTimerSpanMs;
  }
  return d;
}

void StreamClock::Anchor(std::uint64_t frame, double ms) {
  anchored_ = true;
  anchorFrame_ = frame;
  anchorMs_ = Wrapped(ms);
}

void StreamClock::Follow(std::uint64_t frame, double ms) {
  if (!anchored_) {
    Anchor(frame, ms);
    return;
  }
  // Where the clock puts `frame`, against where it was observed.
  const double expected = anchorMs_ + static_cast<double>(frame - anchorFrame_) * 1000.0 / rate_;
  const double error = TimerDifference(expected, ms);
  if (std::fabs(error) > kJumpMs) {
    Anchor(frame, ms);
  } else {
    Anchor(frame, expected + error * kFollowGain);
  }
}

std::int64_t StreamClock::FrameOf(double ms) const {
  const double frames = TimerDifference(anchorMs_, ms) * rate_ / 1000.0;
  return static_cast<std::int64_t>(anchorFrame_) + static_cast<std::int64_t>(std::floor(frames));
}

std::uint64_t StreamClock::StartFrame(double at, std::uint32_t latency, std::uint64_t next,
                                      std::uint32_t longestWait) const {
  if (!anchored_) {
    return next;
  }
  const std::int64_t due = FrameOf(at) + latency;
  const auto now = static_cast<std::int64_t>(next);
  return due > now && due - now <= longestWait ? static_cast<std::uint64_t>(due) : next;
}
