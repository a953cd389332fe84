// A simulated DirectSound device: logs every call ("b2.Play 0 0 0": buffers by creation order) and
// fails where a test says. It must outlive the voices that hold its device and buffers.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "base/sound_device.h"

class SimulatedSoundSystem final : public SoundSystem {
 public:
  struct State {
    std::vector<std::string> calls;
    std::deque<std::int32_t> createResults;  // of the next device creations; then DS_OK
    std::int32_t primaryResult = kDsOk;      // of the next primary / secondary buffer creation
    std::int32_t secondaryResult = kDsOk;
    int lockLosses = 0;  // the next Lock / Play calls that report DSERR_BUFFERLOST
    int playLosses = 0;
    int deviceReferences = 0;
    std::vector<std::shared_ptr<void>> owned;  // the devices and buffers, whatever their type
    std::size_t bufferCount = 0;
    std::vector<std::vector<unsigned char>> memory;  // of each buffer, by creation order
  };

  SimulatedSoundSystem() : state(std::make_shared<State>()) {}
  std::int32_t CreateDevice(SoundDevice** device) override;

  std::vector<std::string>& calls() { return state->calls; }
  // The calls since the last look.
  std::vector<std::string> NewCalls() {
    std::vector<std::string> recent(state->calls.begin() + seen_, state->calls.end());
    seen_ = static_cast<long>(state->calls.size());
    return recent;
  }

  std::shared_ptr<State> state;

 private:
  long seen_ = 0;
};
