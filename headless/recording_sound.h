// A sound system between the sample voices and a real one (the software mixer) that notes every
// Play: which track, at what volume and pan, due when, in call order.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "base/sound_device.h"

struct RecordedPlay {
  int track = -1;  // -1 for a buffer never named with NameTrack
  std::int32_t volume = 0;
  std::int32_t pan = 0;
  PlayTime at;
};

class RecordingSoundSystem final : public SoundSystem {
 public:
  explicit RecordingSoundSystem(SoundSystem& inner);

  // Forwards to the inner system. Voice (secondary) buffers come back wrapped so that their
  // calls are seen; primary buffers come back as the inner system made them.
  std::int32_t CreateDevice(SoundDevice** device) override;

  // Says which track plays the wrapped buffer `buffer` (as a voice holds it). False when `buffer`
  // is not a live buffer of this system.
  bool NameTrack(const SoundBuffer* buffer, int track);

  // The plays since the last call, in call order.
  std::vector<RecordedPlay> TakePlays();

  struct Log;

 private:
  SoundSystem& inner_;
  // Shared with the wrapped devices and buffers: the sample bank's voices are static and release
  // them after this object is gone.
  std::shared_ptr<Log> log_;
};
