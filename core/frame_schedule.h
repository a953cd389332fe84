// Frames on a clock of their own: frame k runs at a fixed offset from frame 0, whenever the shell
// gets round to it, so that the piece does not depend on how fast or how regularly it is drawn.
// Frame k's time is startMs + floor(k × periodNumerator / periodDenominator) ms on the timer: at
// 1000 / 60 that is ostinel-render's frame k at --fps 60.
#pragma once

#include <cstdint>

class FrameSchedule {
 public:
  // A frame every periodNumerator / periodDenominator ms (both above 0), frame 0 at `startMs`.
  FrameSchedule(std::uint32_t startMs, std::uint64_t periodNumerator,
                std::uint64_t periodDenominator);

  // The frames due once `elapsedMs` have passed since frame 0 was due: `count` frames from
  // `first` on, in order, none when the next is not due yet. A backlog of more than a second (the
  // machine slept, a tab was frozen) is skipped but for its last frame, so that the piece goes on
  // from now instead of racing through what it missed.
  struct Due {
    std::uint64_t first = 0;
    std::uint64_t count = 0;
  };
  Due Take(double elapsedMs);

  // Frame `frame`'s time on the timer (modulo 2^32), and its offset from frame 0 in ms.
  std::uint32_t TimeOf(std::uint64_t frame) const;
  double OffsetOf(std::uint64_t frame) const;
  // The next frame to run, and when it is due, as an offset from frame 0.
  std::uint64_t next() const { return next_; }
  double NextDueMs() const { return OffsetOf(next_); }

 private:
  std::uint64_t Offset(std::uint64_t frame) const;  // whole ms

  std::uint32_t startMs_;
  std::uint64_t numerator_;
  std::uint64_t denominator_;
  std::uint64_t next_ = 0;
};

// The longest backlog a schedule replays, in ms.
inline constexpr double kLongestBacklogMs = 1000.0;
