// The simulated sound device's buffers and device.
#include "simulated_sound.h"

#include <cstdio>
#include <utility>

namespace {

using State = SimulatedSoundSystem::State;

struct Buffer final : SoundBuffer {
  State* state;
  std::size_t index;
  Buffer(State* s, std::size_t i) : state(s), index(i) {}

  std::int32_t Log(const std::string& call, std::int32_t result = kDsOk) {
    state->calls.push_back("b" + std::to_string(index + 1) + "." + call);
    return result;
  }
  static std::string Words(std::initializer_list<long long> values) {
    std::string text;
    for (long long v : values)
      text += " " + std::to_string(v);
    return text;
  }
  static std::int32_t Lose(int& losses) {
    return losses > 0 && losses-- > 0 ? kDsErrBufferLost : kDsOk;
  }
  std::int32_t SetFormat(const WaveFormat& f) override {
    return Log("SetFormat" + Words({f.channels, f.samplesPerSec, f.bitsPerSample}));
  }
  std::int32_t Lock(std::uint32_t offset, std::uint32_t bytes, void** region,
                    std::uint32_t* regionBytes, std::uint32_t flags) override {
    *region = state->memory[index].data();
    *regionBytes = static_cast<std::uint32_t>(state->memory[index].size());
    return Log("Lock" + Words({offset, bytes, flags}), Lose(state->lockLosses));
  }
  std::int32_t Unlock(void*, std::uint32_t bytes) override {
    return Log("Unlock" + Words({bytes}));
  }
  std::int32_t Restore() override { return Log("Restore"); }
  std::int32_t SetCurrentPosition(std::uint32_t p) override {
    return Log("SetCurrentPosition" + Words({p}));
  }
  std::int32_t SetVolume(std::int32_t v) override { return Log("SetVolume" + Words({v})); }
  std::int32_t SetPan(std::int32_t p) override { return Log("SetPan" + Words({p})); }
  std::int32_t Play(std::uint32_t reserved, std::uint32_t priority, std::uint32_t flags) override {
    return Log("Play" + Words({reserved, priority, flags}), Lose(state->playLosses));
  }
  void Release() override { Log("Release"); }
};

struct Device final : SoundDevice {
  State* state;
  explicit Device(State* s) : state(s) {}
  std::int32_t SetCooperativeLevel(WindowHandle window, std::uint32_t level) override {
    state->calls.push_back("SetCooperativeLevel" + Buffer::Words({window, level}));
    return kDsOk;
  }
  std::int32_t CreateSoundBuffer(const SoundBufferDesc& desc, SoundBuffer** buffer) override {
    char call[96];
    std::snprintf(call, sizeof call, "CreateSoundBuffer 0x%x %u%s", desc.flags, desc.bufferBytes,
                  desc.format != nullptr ? " with format" : "");
    state->calls.push_back(call);
    std::int32_t& result =
        (desc.flags & kDsbcapsPrimaryBuffer) != 0 ? state->primaryResult : state->secondaryResult;
    *buffer = nullptr;
    if (result != kDsOk) {
      return std::exchange(result, kDsOk);
    }
    state->memory.emplace_back(desc.bufferBytes);
    const auto created = std::make_shared<Buffer>(state, state->bufferCount++);
    state->owned.push_back(created);
    *buffer = created.get();
    return kDsOk;
  }
  void Release() override {
    state->calls.push_back("Device.Release");
    --state->deviceReferences;
  }
};

}  // namespace

std::int32_t SimulatedSoundSystem::CreateDevice(SoundDevice** device) {
  state->calls.push_back("DirectSoundCreate");
  *device = nullptr;
  const std::int32_t result = state->createResults.empty() ? kDsOk : state->createResults.front();
  if (!state->createResults.empty()) {
    state->createResults.pop_front();
  }
  if (result == kDsOk) {
    const auto created = std::make_shared<Device>(state.get());
    state->owned.push_back(created);
    *device = created.get();
    ++state->deviceReferences;
  }
  return result;
}
