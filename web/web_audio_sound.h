// The sound device over Web Audio. A buffer's frames become an AudioBuffer; a play starts a source
// node on its step's instant laid onto the audio clock, plus one constant latency, with
// DirectSound's gains on each side, and cuts the buffer's previous play at that moment.
#pragma once

#include <cstdint>

#include "platform/sound_device.h"

// From a step's start to the moment its plays are mixed: long enough for the frame that notices the
// step to come (a frame every 16.7 ms, some late) and hand its plays over.
inline constexpr double kPlayLatencyMs = 50.0;

class WebAudioSound final : public SoundSystem {
 public:
  std::int32_t CreateDevice(SoundDevice** device) override;

  // Once a frame, at timer instant `nowMs`: ties the timer to the audio clock while sound runs.
  void FollowClock(double nowMs);
};
