// Choosing the frame being heard among those run.
#include "linux/heard_frames.h"

#include <limits>

namespace {

// The moment heard is never this far behind the newest frame (the latency stays below 150 ms).
constexpr double kKeptMs = 1000;

}  // namespace

void HeardFrames::Add(double offsetMs, Frame frame) {
  frames_.emplace_back(offsetMs, std::move(frame));
  // What a draw would pass over anyway goes now, so that a draw held up (a stalled X server) does
  // not leave the frames piling up.
  while (frames_.size() > 1 && frames_[1].first <= offsetMs - kKeptMs) {
    frames_.pop_front();
    frontShown_ = false;
  }
}

const Frame* HeardFrames::ToShow(double heardMs) {
  if (frames_.empty()) {
    return nullptr;
  }
  bool changed = !frontShown_;
  while (frames_.size() > 1 && frames_[1].first <= heardMs) {
    frames_.pop_front();
    changed = true;
  }
  frontShown_ = true;
  return changed ? &frames_.front().second : nullptr;
}

double HeardFrames::NextHeardMs() const {
  return frames_.size() > 1 ? frames_[1].first : std::numeric_limits<double>::infinity();
}
