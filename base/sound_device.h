// The sound-device seam of the Windows saver: the DirectSound operations a sample voice uses, with
// DirectSound's result codes. DirectSound on Windows, a simulated device in the tests.
#pragma once

#include <cstdint>

#include "base/handles.h"

// Result codes, as DirectSound returns them.
inline constexpr std::int32_t kDsOk = 0;
inline constexpr std::int32_t kDsErrAllocated = static_cast<std::int32_t>(0x8878000Au);
inline constexpr std::int32_t kDsErrNoDriver = static_cast<std::int32_t>(0x88780078u);
inline constexpr std::int32_t kDsErrBufferLost = static_cast<std::int32_t>(0x88780096u);
inline constexpr std::int32_t kDsErrInvalidParam = static_cast<std::int32_t>(0x80070057u);
inline constexpr std::int32_t kDsErrBadFormat = static_cast<std::int32_t>(0x88780064u);
inline constexpr std::int32_t kDsErrGeneric = static_cast<std::int32_t>(0x80004005u);

// Flags and levels.
inline constexpr std::uint32_t kDssclNormal = 1;
inline constexpr std::uint32_t kDsbcapsPrimaryBuffer = 0x01;
inline constexpr std::uint32_t kDsbcapsStatic = 0x02;
inline constexpr std::uint32_t kDsbcapsCtrlFrequency = 0x20;
inline constexpr std::uint32_t kDsbcapsCtrlPan = 0x40;
inline constexpr std::uint32_t kDsbcapsCtrlVolume = 0x80;
inline constexpr std::uint32_t kDsblockEntireBuffer = 0x02;
inline constexpr std::uint32_t kDsbplayLooping = 0x01;

inline constexpr std::int32_t kDsbVolumeMin = -10000;
inline constexpr std::int32_t kDsbPanLeft = -10000;
inline constexpr std::int32_t kDsbPanRight = 10000;

// A WAVEFORMATEX's fields.
struct WaveFormat {
  std::uint16_t formatTag = 0;
  std::uint16_t channels = 0;
  std::uint32_t samplesPerSec = 0;
  std::uint32_t avgBytesPerSec = 0;
  std::uint16_t blockAlign = 0;
  std::uint16_t bitsPerSample = 0;
  std::uint16_t cbSize = 0;
};

inline constexpr std::uint16_t kWaveFormatPcm = 1;

// 44100 Hz stereo 16-bit PCM: the samples' format, the output the voices ask for, and the mix of
// our own.
inline WaveFormat StereoPcm44100() {
  WaveFormat format;
  format.formatTag = kWaveFormatPcm;
  format.channels = 2;
  format.samplesPerSec = 44100;
  format.avgBytesPerSec = 176400;
  format.blockAlign = 4;
  format.bitsPerSample = 16;
  return format;
}

// A DSBUFFERDESC's fields; its size field is the implementation's business.
struct SoundBufferDesc {
  std::uint32_t flags = 0;
  std::uint32_t bufferBytes = 0;
  const WaveFormat* format = nullptr;
};

// IDirectSoundBuffer: reference-counted; Release gives up one reference.
class SoundBuffer {
 public:
  virtual std::int32_t SetFormat(const WaveFormat& format) = 0;
  // Locks `bytes` at `offset` (or the whole buffer with kDsblockEntireBuffer); only the first
  // region is asked for.
  virtual std::int32_t Lock(std::uint32_t offset, std::uint32_t bytes, void** region,
                            std::uint32_t* regionBytes, std::uint32_t flags) = 0;
  virtual std::int32_t Unlock(void* region, std::uint32_t regionBytes) = 0;
  virtual std::int32_t Restore() = 0;
  virtual std::int32_t SetCurrentPosition(std::uint32_t position) = 0;
  virtual std::int32_t SetVolume(std::int32_t volume) = 0;
  virtual std::int32_t SetPan(std::int32_t pan) = 0;
  virtual std::int32_t Play(std::uint32_t reserved, std::uint32_t priority,
                            std::uint32_t flags) = 0;
  virtual void Release() = 0;

 protected:
  ~SoundBuffer() = default;
};

// IDirectSound.
class SoundDevice {
 public:
  virtual std::int32_t SetCooperativeLevel(WindowHandle window, std::uint32_t level) = 0;
  virtual std::int32_t CreateSoundBuffer(const SoundBufferDesc& desc, SoundBuffer** buffer) = 0;
  virtual void Release() = 0;

 protected:
  ~SoundDevice() = default;
};

// DirectSoundCreate for the default device.
class SoundSystem {
 public:
  virtual ~SoundSystem() = default;
  virtual std::int32_t CreateDevice(SoundDevice** device) = 0;
};
