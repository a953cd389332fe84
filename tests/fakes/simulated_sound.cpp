// The simulated sound device of the tests.
#include "simulated_sound.h"

#include <sstream>

namespace {

std::string Hex(std::uint32_t value) {
  std::ostringstream text;
  text << "0x" << std::hex << value;
  return text.str();
}

}  // namespace

struct SimulatedSoundSystem::State {
  struct Buffer;
  struct Device;

  std::vector<std::string> calls;
  std::deque<std::int32_t> createResults;
  std::int32_t primaryResult = kDsOk;
  std::int32_t secondaryResult = kDsOk;
  int lockLosses = 0;
  int playLosses = 0;
  std::vector<std::unique_ptr<Buffer>> buffers;
  std::vector<std::unique_ptr<Device>> devices;
};

struct SimulatedSoundSystem::State::Buffer final : SoundBuffer {
  State* state = nullptr;
  std::string name;
  int references = 1;
  std::vector<unsigned char> bytes;

  std::int32_t Log(const std::string& call, std::int32_t result = kDsOk) {
    state->calls.push_back(name + "." + call);
    return result;
  }
  std::int32_t SetFormat(const WaveFormat& format) override {
    return Log("SetFormat " + std::to_string(format.channels) + "ch " +
               std::to_string(format.samplesPerSec) + " " + std::to_string(format.bitsPerSample) +
               "bit");
  }
  std::int32_t Lock(std::uint32_t offset, std::uint32_t length, void** region,
                    std::uint32_t* regionBytes, std::uint32_t flags) override {
    const std::string call = "Lock " + std::to_string(offset) + " " + std::to_string(length) +
                             " " + std::to_string(flags);
    if (state->lockLosses > 0) {
      --state->lockLosses;
      return Log(call, kDsErrBufferLost);
    }
    *region = bytes.data();
    *regionBytes = static_cast<std::uint32_t>(bytes.size());
    return Log(call);
  }
  std::int32_t Unlock(void*, std::uint32_t regionBytes) override {
    return Log("Unlock " + std::to_string(regionBytes));
  }
  std::int32_t Restore() override { return Log("Restore"); }
  std::int32_t SetCurrentPosition(std::uint32_t position) override {
    return Log("SetCurrentPosition " + std::to_string(position));
  }
  std::int32_t SetVolume(std::int32_t volume) override {
    return Log("SetVolume " + std::to_string(volume));
  }
  std::int32_t SetPan(std::int32_t pan) override { return Log("SetPan " + std::to_string(pan)); }
  std::int32_t Play(std::uint32_t reserved, std::uint32_t priority, std::uint32_t flags) override {
    const std::string call = "Play " + std::to_string(reserved) + " " + std::to_string(priority) +
                             " " + std::to_string(flags);
    if (state->playLosses > 0) {
      --state->playLosses;
      return Log(call, kDsErrBufferLost);
    }
    return Log(call);
  }
  void Release() override {
    --references;
    Log("Release");
  }
};

struct SimulatedSoundSystem::State::Device final : SoundDevice {
  State* state = nullptr;
  std::shared_ptr<State> keepAlive;  // voices may outlive the system object; see the mixer
  int references = 1;

  std::int32_t SetCooperativeLevel(WindowHandle window, std::uint32_t level) override {
    state->calls.push_back("SetCooperativeLevel " + std::to_string(window) + " " +
                           std::to_string(level));
    return kDsOk;
  }
  std::int32_t CreateSoundBuffer(const SoundBufferDesc& desc, SoundBuffer** buffer) override {
    const bool primary = (desc.flags & kDsbcapsPrimaryBuffer) != 0;
    std::string call = "CreateSoundBuffer " + Hex(desc.flags) + " " +
                       std::to_string(desc.bufferBytes);
    if (desc.format != nullptr) {
      call += " fmt " + std::to_string(desc.format->channels) + "ch " +
              std::to_string(desc.format->samplesPerSec);
    }
    state->calls.push_back(call);
    std::int32_t& result = primary ? state->primaryResult : state->secondaryResult;
    if (result != kDsOk) {
      const std::int32_t failure = result;
      result = kDsOk;
      *buffer = nullptr;
      return failure;
    }
    auto created = std::make_unique<Buffer>();
    created->state = state;
    created->name = "b" + std::to_string(state->buffers.size() + 1);
    created->bytes.assign(desc.bufferBytes, 0);
    *buffer = created.get();
    state->buffers.push_back(std::move(created));
    return kDsOk;
  }
  void Release() override {
    state->calls.push_back("Device.Release");
    if (--references == 0) {
      const std::shared_ptr<State> last = std::move(keepAlive);
    }
  }
};

SimulatedSoundSystem::SimulatedSoundSystem() : state_(std::make_shared<State>()) {}
SimulatedSoundSystem::~SimulatedSoundSystem() = default;

std::int32_t SimulatedSoundSystem::CreateDevice(SoundDevice** device) {
  state_->calls.push_back("DirectSoundCreate");
  std::int32_t result = kDsOk;
  if (!state_->createResults.empty()) {
    result = state_->createResults.front();
    state_->createResults.pop_front();
  }
  if (result != kDsOk) {
    *device = nullptr;
    return result;
  }
  auto created = std::make_unique<State::Device>();
  created->state = state_.get();
  created->keepAlive = state_;
  *device = created.get();
  state_->devices.push_back(std::move(created));
  return kDsOk;
}

std::deque<std::int32_t>& SimulatedSoundSystem::createResults() { return state_->createResults; }
void SimulatedSoundSystem::FailPrimary(std::int32_t result) { state_->primaryResult = result; }
void SimulatedSoundSystem::FailSecondary(std::int32_t result) { state_->secondaryResult = result; }
void SimulatedSoundSystem::LoseOnLock(int count) { state_->lockLosses = count; }
void SimulatedSoundSystem::LoseOnPlay(int count) { state_->playLosses = count; }
std::vector<std::string>& SimulatedSoundSystem::calls() { return state_->calls; }

std::vector<unsigned char> SimulatedSoundSystem::Contents(const std::string& name) const {
  for (const auto& buffer : state_->buffers) {
    if (buffer->name == name) {
      return buffer->bytes;
    }
  }
  return {};
}

int SimulatedSoundSystem::DeviceReferences() const {
  int references = 0;
  for (const auto& device : state_->devices) {
    references += device->references;
  }
  return references;
}

int SimulatedSoundSystem::BufferReferences(const std::string& name) const {
  for (const auto& buffer : state_->buffers) {
    if (buffer->name == name) {
      return buffer->references;
    }
  }
  return 0;
}
