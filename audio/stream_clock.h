// The millisecond timer laid onto an audio stream's frames: which frame of a mix of our own stands
// for which instant, so that a play due at an instant starts on that instant's own sample.
#pragma once

#include <cstdint>

#include "audio/sample_play.h"

class StreamClock {
 public:
  explicit StreamClock(std::uint32_t rate) : rate_(rate) {}

  // Frame `frame` of the stream stands for timer instant `ms` from now on.
  void Anchor(std::uint64_t frame, double ms);

  // For a stream that runs in real time: frame `frame` is being mixed at timer instant `ms`. The
  // first observation anchors the clock; later ones draw it gently toward them, so that the
  // jitter of a thread's wake-ups stays out of the placing of sounds while the sound card's drift
  // against the timer is followed. An observation a jump away (the stream stalled, or the
  // machine slept) anchors it afresh.
  void Follow(std::uint64_t frame, double ms);

  bool Anchored() const { return anchored_; }

  // The frame of instant `ms`, rounded down; instants within 2^31 ms of the anchor's, either way,
  // across the timer's wrap. Negative when the instant lies before the stream's start.
  std::int64_t FrameOf(double ms) const;

  // The frame a play due at instant `at` starts on: `latency` frames after its instant's frame; or
  // `next`, the next frame to be mixed, when that one has gone by, when the play lies further ahead
  // than `longestWait` (the clock has jumped, or does not keep time yet), or when the clock is not
  // anchored.
  std::uint64_t StartFrame(double at, std::uint32_t latency, std::uint64_t next,
                           std::uint32_t longestWait) const;

 private:
  std::uint32_t rate_;
  bool anchored_ = false;
  std::uint64_t anchorFrame_ = 0;
  double anchorMs_ = 0;  // within [0, 2^32)
};

// b - a on the timer, in ms: within [-2^31, 2^31), whichever side of the wrap each lies.
double TimerDifference(double a, double b);
