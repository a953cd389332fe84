// A sound device in software: static buffers mixed into 44100 Hz stereo 16-bit frames, with
// DirectSound's volume in hundredths of a decibel, its pan law and its one-shot restart.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "base/sound_device.h"

inline constexpr std::uint32_t kMixRate = 44100;

// One sounding buffer as the mixer sees it: 16-bit stereo frames and the gains of each side.
struct MixVoice {
  const std::int16_t* frames = nullptr;  // interleaved left, right
  std::uint32_t frameCount = 0;
  std::uint32_t position = 0;  // the next frame to play
  bool playing = false;
  bool looping = false;
  float gainLeft = 1.0f;
  float gainRight = 1.0f;
};

// Adds every playing voice into `out` (`frameCount` stereo frames), summing in float and clipping
// once to 16 bits, and moves each voice on. A one-shot stops at its end; a loop wraps. Allocates
// nothing.
void MixVoices(MixVoice* const* voices, std::size_t voiceCount, std::int16_t* out,
               std::size_t frameCount);

// DirectSound's level laws: a volume of v hundredths of a dB is a gain of 10^(v/2000), -10000 and
// below silent; a positive pan takes pan/100 dB off the left side, a negative one off the right.
void GainsFor(std::int32_t volume, std::int32_t pan, float* left, float* right);

class SoftwareMixer final : public SoundSystem {
 public:
  struct State;

  SoftwareMixer();
  ~SoftwareMixer() override;

  std::int32_t CreateDevice(SoundDevice** device) override;

  // Renders the next `frameCount` frames of every live buffer of every live device.
  void Render(std::int16_t* out, std::size_t frameCount);

 private:
  std::shared_ptr<State> state_;
};
