// A simulated sound device: records every DirectSound call in order and fails where a test says.
// Device and buffers live in a shared state, so they stay valid whatever order things end in.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/sound_device.h"

class SimulatedSoundSystem final : public SoundSystem {
 public:
  struct State;

  SimulatedSoundSystem();
  ~SimulatedSoundSystem() override;

  std::int32_t CreateDevice(SoundDevice** device) override;

  // Results of the next device creations, in order; DS_OK once they are used up.
  std::deque<std::int32_t>& createResults();
  // A result for the next primary / secondary buffer creation (DS_OK: create it).
  void FailPrimary(std::int32_t result);
  void FailSecondary(std::int32_t result);
  // The next `count` Lock / Play calls, on any buffer, report DSERR_BUFFERLOST.
  void LoseOnLock(int count);
  void LoseOnPlay(int count);

  // Calls as "Name arguments" (buffers named b1, b2, ... in creation order).
  std::vector<std::string>& calls();
  // The bytes a buffer holds; live references of the device and of buffer `name`.
  std::vector<unsigned char> Contents(const std::string& name) const;
  int DeviceReferences() const;
  int BufferReferences(const std::string& name) const;

 private:
  std::shared_ptr<State> state_;
};
