// The recording sound system: reference-counted wrappers that forward to the inner device and
// buffers, and delete themselves on their last Release as the objects they stand for do.
#include "headless/recording_sound.h"

#include <algorithm>

namespace {

class RecordingBuffer;

}  // namespace

struct RecordingSoundSystem::Log {
  std::vector<RecordedPlay> plays;
  std::vector<RecordingBuffer*> liveBuffers;
};

namespace {

class RecordingBuffer final : public SoundBuffer {
 public:
  RecordingBuffer(SoundBuffer* inner, std::shared_ptr<RecordingSoundSystem::Log> log)
      : inner_(inner), log_(std::move(log)) {
    log_->liveBuffers.push_back(this);
  }

  int track = -1;

  std::int32_t SetFormat(const WaveFormat& format) override { return inner_->SetFormat(format); }
  std::int32_t Lock(std::uint32_t offset, std::uint32_t bytes, void** region,
                    std::uint32_t* regionBytes, std::uint32_t flags) override {
    return inner_->Lock(offset, bytes, region, regionBytes, flags);
  }
  std::int32_t Unlock(void* region, std::uint32_t regionBytes) override {
    return inner_->Unlock(region, regionBytes);
  }
  std::int32_t Restore() override { return inner_->Restore(); }
  std::int32_t SetCurrentPosition(std::uint32_t position) override {
    return inner_->SetCurrentPosition(position);
  }
  std::int32_t SetVolume(std::int32_t volume) override {
    volume_ = volume;
    return inner_->SetVolume(volume);
  }
  std::int32_t SetPan(std::int32_t pan) override {
    pan_ = pan;
    return inner_->SetPan(pan);
  }
  std::int32_t Play(std::uint32_t reserved, std::uint32_t priority, std::uint32_t flags,
                    const PlayTime& at) override {
    log_->plays.push_back(RecordedPlay{track, volume_, pan_, at});
    return inner_->Play(reserved, priority, flags, at);
  }
  void Release() override {
    inner_->Release();
    if (--references_ == 0) {
      auto& live = log_->liveBuffers;
      live.erase(std::remove(live.begin(), live.end(), this), live.end());
      delete this;
    }
  }

 private:
  ~RecordingBuffer() = default;

  SoundBuffer* inner_;
  std::shared_ptr<RecordingSoundSystem::Log> log_;
  int references_ = 1;
  std::int32_t volume_ = 0;
  std::int32_t pan_ = 0;
};

class RecordingDevice final : public SoundDevice {
 public:
  RecordingDevice(SoundDevice* inner, std::shared_ptr<RecordingSoundSystem::Log> log)
      : inner_(inner), log_(std::move(log)) {}

  std::int32_t SetCooperativeLevel(WindowHandle window, std::uint32_t level) override {
    return inner_->SetCooperativeLevel(window, level);
  }
  std::int32_t CreateSoundBuffer(const SoundBufferDesc& desc, SoundBuffer** buffer) override {
    const std::int32_t result = inner_->CreateSoundBuffer(desc, buffer);
    if (result == kDsOk && *buffer != nullptr && (desc.flags & kDsbcapsPrimaryBuffer) == 0) {
      *buffer = new RecordingBuffer(*buffer, log_);
    }
    return result;
  }
  void Release() override {
    inner_->Release();
    if (--references_ == 0) {
      delete this;
    }
  }

 private:
  ~RecordingDevice() = default;

  SoundDevice* inner_;
  std::shared_ptr<RecordingSoundSystem::Log> log_;
  int references_ = 1;
};

}  // namespace

RecordingSoundSystem::RecordingSoundSystem(SoundSystem& inner)
    : inner_(inner), log_(std::make_shared<Log>()) {}

std::int32_t RecordingSoundSystem::CreateDevice(SoundDevice** device) {
  const std::int32_t result = inner_.CreateDevice(device);
  if (result == kDsOk && *device != nullptr) {
    *device = new RecordingDevice(*device, log_);
  }
  return result;
}

bool RecordingSoundSystem::NameTrack(const SoundBuffer* buffer, int track) {
  for (RecordingBuffer* live : log_->liveBuffers) {
    if (live == buffer) {
      live->track = track;
      return true;
    }
  }
  return false;
}

std::vector<RecordedPlay> RecordingSoundSystem::TakePlays() {
  std::vector<RecordedPlay> plays;
  plays.swap(log_->plays);
  return plays;
}
