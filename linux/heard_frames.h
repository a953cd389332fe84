// The frames the hack has run and not yet left behind, and the one to show: the frame of the
// moment being heard, so that the raised row and its drums agree whatever the sound's latency.
#pragma once

#include <deque>
#include <utility>

#include "core/saver.h"

class HeardFrames {
 public:
  // A frame run at `offsetMs` (on its schedule, from frame 0), later than those before it. Frames
  // heard more than a second before it are let go, shown or not.
  void Add(double offsetMs, Frame frame);

  // The frame to draw for the moment `heardMs` (an offset as Add's): the latest at or before it,
  // or the first there is while none is; never an older one than the last shown. Null when that
  // is the one already shown, or when there is none.
  const Frame* ToShow(double heardMs);

  // The moment from which the next frame after the one shown is heard; infinity when there is
  // none yet.
  double NextHeardMs() const;

 private:
  std::deque<std::pair<double, Frame>> frames_;  // the front is the one shown, or to show first
  bool frontShown_ = false;
};
