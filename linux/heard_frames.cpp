// Choosing the frame being heard among those run.
#include "linux/heard_frames.h"

#include <limits>

void HeardFrames::Add(double offsetMs, Frame frame) {
  frames_.emplace_back(offsetMs, std::move(frame));
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
