// The sound device over Web Audio. A buffer's frames become an AudioBuffer; a play starts a source
// node on its step's instant laid onto the audio clock, plus one constant latency, with
// DirectSound's gains on each side, and cuts the buffer's previous play at that moment.
#pragma once

#include <cstdint>

#include "web/core.h"

// How much later than its step's start a play is heard, beyond the output's own latency: long
// enough for the frame that notices the step to come (a frame every 16.7 ms, some late, slow ones
// every 35 ms) and for the mixing, which runs ahead of the output by whole blocks of 10 to 20 ms.
inline constexpr double kPlayLatencyMs = 70.0;

class WebAudioSound final : public SoundSystem {
 public:
  std::int32_t CreateDevice(SoundDevice** device) override;

  // Once a frame: ties the timer to the audio clock while sound runs.
  void FollowClock();
};
