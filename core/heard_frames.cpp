// Choosing the frame being heard among those run.
#include "core/heard_frames.h"

#include <limits>
#include <utility>

namespace {

// The moment heard is never this far behind the newest frame (the latencies stay well below it).
constexpr double kKeptMs = 1000;

}  // namespace

void HeardFrames::Add(std::uint64_t index, double offsetMs, Frame frame) {
  runs_.push_back(Run{index, offsetMs, std::move(frame)});
  // What a draw would pass over anyway goes now, so that a draw held up (a stalled X server, a
  // hidden tab) does not leave the frames piling up.
  while (runs_.size() > 1 && runs_[1].offsetMs <= offsetMs - kKeptMs) {
    runs_.pop_front();
    frontShown_ = false;
  }
}

void HeardFrames::Hear(double heardMs) {
  while (runs_.size() > 1 && runs_[1].offsetMs <= heardMs) {
    runs_.pop_front();
    frontShown_ = false;
  }
}

const Frame* HeardFrames::ToShow(double heardMs) {
  Hear(heardMs);
  if (runs_.empty() || frontShown_) {
    return nullptr;
  }
  frontShown_ = true;
  return &runs_.front().frame;
}

double HeardFrames::NextHeardMs() const {
  return runs_.size() > 1 ? runs_[1].offsetMs : std::numeric_limits<double>::infinity();
}
