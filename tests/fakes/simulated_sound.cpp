// The simulated sound device's buffers and device.
#include "simulated_sound.h"

#include <cstdio>

namespace {

using State = SimulatedSoundSystem::State;

struct Buffer final : SoundBuffer {
  State* state;
  std::string name;
  std::size_t index;

  Buffer(State* s, std::size_t i) : state(s), name("b" + std::to_string(i + 1)), index(i) {}
  std::int32_t Log(const std::string& call, std::int32_t result = kDsOk) {
    state->calls.push_back(name + "." + call);
    return result;
  }
  static std::int32_t Lose(int& losses) { return losses > 0 && losses-- > 0 ? kDsErrBufferLost : kDsOk; }
  std::int32_t SetFormat(const WaveFormat& f) override {
    return Log("SetFormat " + std::to_string(f.channels) + " " + std::to_string(f.samplesPerSec) +
               " " + std::to_string(f.bitsPerSample));
  }
  std::int32_t Lock(std::uint32_t offset, std::uint32_t bytes, void** region,
                    std::uint32_t* regionBytes, std::uint32_t flags) override {
    std::vector<unsigned char>& memory = state->memory[index];
    *region = memory.data();
    *regionBytes = static_cast<std::uint32_t>(memory.size());
    return Log("Lock " + std::to_string(offset) + " " + std::to_string(bytes) + " " +
                   std::to_string(flags),
               Lose(state->lockLosses));
  }
  std::int32_t Unlock(void*, std::uint32_t bytes) override {
    return Log("Unlock " + std::to_string(bytes));
  }
  std::int32_t Restore() override { return Log("Restore"); }
  std::int32_t SetCurrentPosition(std::uint32_t p) override {
    return Log("SetCurrentPosition " + std::to_string(p));
  }
  std::int32_t SetVolume(std::int32_t v) override { return Log("SetVolume " + std::to_string(v)); }
  std::int32_t SetPan(std::int32_t p) override { return Log("SetPan " + std::to_string(p)); }
  std::int32_t Play(std::uint32_t reserved, std::uint32_t priority, std::uint32_t flags) override {
    return Log("Play " + std::to_string(reserved) + " " + std::to_string(priority) + " " +
                   std::to_string(flags),
               Lose(state->playLosses));
  }
  void Release() override { Log("Release"); }
};

struct Device final : SoundDevice {
  State* state;
  explicit Device(State* s) : state(s) {}
  std::int32_t SetCooperativeLevel(WindowHandle window, std::uint32_t level) override {
    state->calls.push_back("SetCooperativeLevel " + std::to_string(window) + " " +
                           std::to_string(level));
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
      const std::int32_t failure = result;
      result = kDsOk;
      return failure;
    }
    state->memory.emplace_back(desc.bufferBytes);
    const auto created = std::make_shared<Buffer>(state, state->bufferCount++);
    state->owned.push_back(created);
    *buffer = created.get();
    return kDsOk;
  }
  void Release() override {
    state->calls.push_back("Device.Release");
    if (--state->deviceReferences == 0) {
      const std::shared_ptr<State> last = std::move(state->self);  // may free this device:
      // nothing of it is touched after
    }
  }
};

}  // namespace

std::int32_t SimulatedSoundSystem::CreateDevice(SoundDevice** device) {
  state->calls.push_back("DirectSoundCreate");
  *device = nullptr;
  std::int32_t result = kDsOk;
  if (!state->createResults.empty()) {
    result = state->createResults.front();
    state->createResults.pop_front();
  }
  if (result == kDsOk) {
    const auto created = std::make_shared<Device>(state.get());
    state->owned.push_back(created);
    *device = created.get();
    ++state->deviceReferences;
    state->self = state;
  }
  return result;
}
