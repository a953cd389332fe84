// The samples heard through Web Audio: each slot's sample becomes an AudioBuffer, and a play starts
// a source node on its step's instant laid onto the audio clock, plus one constant latency, with
// DirectSound's gains on each side, cutting the slot's previous play at that moment.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "web/core.h"

// How much later than its step's start a play is heard, beyond the output's own latency: long
// enough for the frame that notices the step to come (a frame every 16.7 ms, some late, slow ones
// every 35 ms) and for the mixing, which runs ahead of the output by whole blocks of 10 to 20 ms.
inline constexpr double kPlayLatencyMs = 70.0;

struct AudioNow;

class WebAudioSound {
 public:
  WebAudioSound();
  ~WebAudioSound();
  WebAudioSound(const WebAudioSound&) = delete;
  WebAudioSound& operator=(const WebAudioSound&) = delete;

  // Slot `slot` plays the samples of `wave`: false unless they are 44100 Hz stereo 16-bit PCM.
  bool Load(int slot, const ParsedWave& wave);

  // Plays a sample on its instant; before the page's sound runs, a play is not heard.
  void Play(const SamplePlay& play);

  // Once a frame: ties the timer to the audio clock while sound runs.
  void FollowClock();

 private:
  struct Clocks;
  std::optional<AudioNow> Now();
  std::unique_ptr<Clocks> clocks_;
};
