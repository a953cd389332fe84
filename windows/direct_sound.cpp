// The sound-device seam over DirectSound. Each wrapper holds one COM reference and gives it up,
// and frees itself, on Release.
#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include "windows/direct_sound.h"

// DirectSound under the 64-bit ABI takes only the full structure size.
static_assert(sizeof(void*) != 8 || sizeof(DSBUFFERDESC) == 40, "DSBUFFERDESC is 40 bytes on x64");

namespace {

std::int32_t Code(HRESULT result) {
  return static_cast<std::int32_t>(result);
}

class DirectSoundBuffer final : public SoundBuffer {
 public:
  explicit DirectSoundBuffer(IDirectSoundBuffer* buffer) : buffer_(buffer) {}

  std::int32_t SetFormat(const WaveFormat& format) override {
    WAVEFORMATEX wave = ToWaveFormatEx(format);
    return Code(buffer_->SetFormat(&wave));
  }
  std::int32_t Lock(std::uint32_t offset, std::uint32_t bytes, void** region,
                    std::uint32_t* regionBytes, std::uint32_t flags) override {
    DWORD length = 0;
    const HRESULT result = buffer_->Lock(offset, bytes, region, &length, nullptr, nullptr, flags);
    *regionBytes = length;
    return Code(result);
  }
  std::int32_t Unlock(void* region, std::uint32_t regionBytes) override {
    return Code(buffer_->Unlock(region, regionBytes, nullptr, 0));
  }
  std::int32_t Restore() override { return Code(buffer_->Restore()); }
  std::int32_t SetCurrentPosition(std::uint32_t position) override {
    return Code(buffer_->SetCurrentPosition(position));
  }
  std::int32_t SetVolume(std::int32_t volume) override { return Code(buffer_->SetVolume(volume)); }
  std::int32_t SetPan(std::int32_t pan) override { return Code(buffer_->SetPan(pan)); }
  std::int32_t Play(std::uint32_t reserved, std::uint32_t priority, std::uint32_t flags) override {
    return Code(buffer_->Play(reserved, priority, flags));
  }
  void Release() override {
    buffer_->Release();
    delete this;
  }

  static WAVEFORMATEX ToWaveFormatEx(const WaveFormat& format) {
    WAVEFORMATEX wave{};
    wave.wFormatTag = format.formatTag;
    wave.nChannels = format.channels;
    wave.nSamplesPerSec = format.samplesPerSec;
    wave.nAvgBytesPerSec = format.avgBytesPerSec;
    wave.nBlockAlign = format.blockAlign;
    wave.wBitsPerSample = format.bitsPerSample;
    wave.cbSize = 0;  // the format is PCM-style fields only; no extra bytes follow
    return wave;
  }

 private:
  IDirectSoundBuffer* buffer_;
};

class DirectSoundDevice final : public SoundDevice {
 public:
  explicit DirectSoundDevice(IDirectSound* device) : device_(device) {}

  std::int32_t SetCooperativeLevel(WindowHandle window, std::uint32_t level) override {
    return Code(device_->SetCooperativeLevel(reinterpret_cast<HWND>(window), level));
  }
  std::int32_t CreateSoundBuffer(const SoundBufferDesc& desc, SoundBuffer** buffer) override {
    *buffer = nullptr;
    WAVEFORMATEX format{};
    DSBUFFERDESC description{};
    description.dwSize = sizeof(DSBUFFERDESC);
    description.dwFlags = desc.flags;
    description.dwBufferBytes = desc.bufferBytes;
    if (desc.format != nullptr) {
      format = DirectSoundBuffer::ToWaveFormatEx(*desc.format);
      description.lpwfxFormat = &format;
    }
    IDirectSoundBuffer* created = nullptr;
    const HRESULT result = device_->CreateSoundBuffer(&description, &created, nullptr);
    if (created != nullptr) {
      *buffer = new DirectSoundBuffer(created);
    }
    return Code(result);
  }
  void Release() override {
    device_->Release();
    delete this;
  }

 private:
  IDirectSound* device_;
};

class DirectSoundSystem final : public SoundSystem {
 public:
  std::int32_t CreateDevice(SoundDevice** device) override {
    *device = nullptr;
    IDirectSound* created = nullptr;
    const HRESULT result = DirectSoundCreate(nullptr, &created, nullptr);
    if (created != nullptr) {
      *device = new DirectSoundDevice(created);
    }
    return Code(result);
  }
};

}  // namespace

SoundSystem& PlatformSoundSystem() {
  static DirectSoundSystem system;
  return system;
}
