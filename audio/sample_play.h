// A play of a sample, as the sequencer makes it and every sound output takes it: which sample, how
// loud and where, and the instant its step began.
#pragma once

#include <cstdint>

// The millisecond timer's span: instants lie within [0, 2^32) and are compared modulo it.
inline constexpr double kTimerSpanMs = 4294967296.0;

struct SamplePlay {
  int sample = 0;           // the slot, which is the track
  std::int32_t volume = 0;  // hundredths of a decibel: 0 full, -10000 silent
  std::int32_t pan = 0;     // -10000 left to 10000 right
  double at = 0;            // the instant its step began, on the timer, with its fraction
};
