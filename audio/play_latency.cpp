// The play latency's rule: up at once, down slowly once the needs are remembered no longer.
#include "audio/play_latency.h"

#include <algorithm>

PlayLatency::PlayLatency(const Rule& rule)
    : rule_(rule), currentMs_(Clamped(rule.startMs)), lastAtMs_(0) {}

double PlayLatency::Clamped(double ms) const {
  return std::clamp(ms, rule_.leastMs, std::max(rule_.leastMs, rule_.limitMs));
}

void PlayLatency::Note(double needMs, double nowMs) {
  currentMs_ = std::max(currentMs_, Clamped(needMs + rule_.marginMs));
  // Only the needs that may still be the largest of the window are kept.
  while (!needs_.empty() && needs_.back().second <= needMs) {
    needs_.pop_back();
  }
  needs_.emplace_back(nowMs, needMs);
}

double PlayLatency::At(double nowMs) {
  if (!started_) {
    started_ = true;
    lastAtMs_ = nowMs;
  }
  // Piece by piece: while the largest need is remembered, toward what it asks; after, toward what
  // the next one asks.
  for (;;) {
    const bool forgotten = !needs_.empty() && needs_.front().first + rule_.holdMs < nowMs;
    const double until = forgotten ? needs_.front().first + rule_.holdMs : nowMs;
    const double wanted =
        needs_.empty() ? rule_.leastMs : Clamped(needs_.front().second + rule_.marginMs);
    if (until > lastAtMs_) {
      if (currentMs_ > wanted) {
        currentMs_ =
            std::max(wanted, currentMs_ - rule_.shrinkPerSecondMs * (until - lastAtMs_) / 1000.0);
      }
      lastAtMs_ = until;
    }
    if (!forgotten) {
      return currentMs_;
    }
    needs_.pop_front();
  }
}
