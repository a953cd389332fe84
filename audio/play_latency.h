// How long after its step's start a play is heard, where the sound is mixed in real time: long
// enough that the plays reach the output in time, however late the frames that make them come, and
// no longer than that needs. It grows at once when a play needs more, never beyond its limit, and
// comes back down slowly once the needs have been smaller for a while.
#pragma once

#include <deque>
#include <utility>

class PlayLatency {
 public:
  struct Rule {
    double startMs;            // before anything is known
    double leastMs;            // never below
    double limitMs;            // never above
    double marginMs;           // kept above the largest need
    double holdMs;             // how long a need is remembered
    double shrinkPerSecondMs;  // how fast it comes down to what the remembered needs ask for
  };

  explicit PlayLatency(const Rule& rule);

  // A play needed `needMs` at real instant `nowMs`: with a latency below that it would have been
  // late (the time from its step's start until the output could start it, the output's own delay
  // included). The latency grows at once to the need plus the margin, up to the limit.
  void Note(double needMs, double nowMs);

  // The latency at real instant `nowMs`: what the needs of the last holdMs ask for (the largest
  // plus the margin, within [least, limit]), reached from above at shrinkPerSecondMs.
  double At(double nowMs);

  // Whether a play needing `needMs` is late even at the limit.
  bool BeyondLimit(double needMs) const { return needMs > rule_.limitMs; }

 private:
  double Clamped(double ms) const;

  Rule rule_;
  double currentMs_;
  double lastAtMs_;
  bool started_ = false;
  std::deque<std::pair<double, double>> needs_;  // (instant, need), needs falling from the front
};
