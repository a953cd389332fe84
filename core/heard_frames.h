// The frames a shell has run and not yet left behind, for one whose sound is heard a latency after
// its frames run (the hack, the page): the frame of the moment being heard is the one to draw, so
// that the raised row and its drums agree whatever the latency.
#pragma once

#include <cstdint>
#include <deque>

#include "core/saver.h"

class HeardFrames {
 public:
  struct Run {
    std::uint64_t index;  // its number on its schedule
    double offsetMs;      // when it runs, on its schedule, from frame 0
    Frame frame;
  };

  // Frame `index`, run at `offsetMs`, later than those before it. Frames heard more than a second
  // before it are let go, drawn or not.
  void Add(std::uint64_t index, double offsetMs, Frame frame);

  // Lets go of the frames before the moment `heardMs` (an offset as Add's): the first left is the
  // latest at or before it, or the first there is while none is. It never goes back: when the
  // latency grows, the frame heard stays until the sound catches up with it.
  void Hear(double heardMs);

  // Hear(heardMs), then the frame heard if it is not the one this returned last; null otherwise,
  // or when there is none.
  const Frame* ToShow(double heardMs);

  bool empty() const { return runs_.empty(); }
  // The frame heard, and the latest run; there must be one.
  const Run& heard() const { return runs_.front(); }
  const Run& latest() const { return runs_.back(); }

  // The moment from which the next frame after the one heard is heard; infinity when there is
  // none yet.
  double NextHeardMs() const;

 private:
  std::deque<Run> runs_;  // the front is the one heard, or to show first
  bool frontShown_ = false;
};
