// The sample voice's load, play and release steps, over the sound-device seam.
#include "audio/sample_voice.h"

#include <cstring>

#include "audio/wave.h"
#include "base/clock.h"
#include "base/program_resources.h"

namespace {

bool Retryable(std::int32_t result) {
  return result == kDsErrAllocated || result == kDsErrNoDriver;
}

}  // namespace

// Creates the shared device, waiting between attempts while it is busy or has no driver.
bool SampleVoice::CreateSharedDevice(WindowHandle ownerWindow) {
  VoiceDevice& d = device_;
  if (d.soundDeviceUnavailable || d.system == nullptr) {
    d.soundDeviceUnavailable = true;
    return false;
  }
  std::int32_t result = kDsOk;
  for (int attempt = 1; attempt <= kDeviceAttempts; ++attempt) {
    if (attempt > 1 && d.clock != nullptr) {
      d.clock->Sleep(kDeviceRetryDelayMs);
    }
    d.soundDevice = nullptr;
    result = d.system->CreateDevice(&d.soundDevice);
    if (!Retryable(result)) {
      break;
    }
  }
  if (result != kDsOk || d.soundDevice == nullptr) {
    d.soundDevice = nullptr;
    d.soundDeviceUnavailable = true;
    return false;
  }
  d.soundDevice->SetCooperativeLevel(ownerWindow, kDssclNormal);
  return true;
}

SampleVoice::SampleVoice(VoiceDevice& device)
    : primaryBuffer(nullptr),
      sampleData(nullptr),
      sampleBytes(0),
      voiceBuffer(nullptr),
      enabled(1),
      device_(device) {
  ++device_.liveVoiceCount;
}

SampleVoice::~SampleVoice() {
  if (voiceBuffer != nullptr) {
    voiceBuffer->Release();
    voiceBuffer = nullptr;
  }
  --device_.liveVoiceCount;
  if (device_.liveVoiceCount > 0) {
    if (primaryBuffer != nullptr) {
      primaryBuffer->Release();
      primaryBuffer = nullptr;
    }
    return;
  }
  // The last voice releases the device, which takes its own primary buffer with it.
  if (device_.soundDevice != nullptr) {
    device_.soundDevice->Release();
    device_.soundDevice = nullptr;
  }
}

bool SampleVoice::LoadFromResource(int resourceId, WindowHandle ownerWindow) {
  if (device_.resources == nullptr) {
    return false;
  }
  std::size_t bytes = 0;
  const unsigned char* image = device_.resources->FindWave(resourceId & 0xffff, &bytes);
  if (image == nullptr) {
    return false;
  }
  return LoadFromMemory(image, bytes, ownerWindow);
}

bool SampleVoice::LoadFromMemory(const void* riffStart, std::size_t imageBytes,
                                 WindowHandle ownerWindow) {
  if (device_.soundDevice == nullptr && !CreateSharedDevice(ownerWindow)) {
    return false;
  }

  SoundBufferDesc primary;
  primary.flags = kDsbcapsPrimaryBuffer;
  if (device_.soundDevice->CreateSoundBuffer(primary, &primaryBuffer) < 0) {
    return false;
  }
  // Under the normal cooperative level the device may keep its own output format.
  primaryBuffer->SetFormat(StereoPcm44100());

  ParsedWave wave;
  const bool parsed = ParseWave(riffStart, imageBytes, &wave);
  sampleData = wave.sampleData;
  sampleBytes = wave.sampleBytes;
  if (!parsed) {
    return false;
  }

  SoundBufferDesc secondary;
  secondary.flags = kDsbcapsStatic | kDsbcapsCtrlFrequency | kDsbcapsCtrlPan | kDsbcapsCtrlVolume;
  secondary.bufferBytes = sampleBytes;
  secondary.format = &wave.format;
  if (device_.soundDevice->CreateSoundBuffer(secondary, &voiceBuffer) != kDsOk) {
    voiceBuffer = nullptr;
    return false;
  }
  return FillVoiceBuffer(sampleData);
}

bool SampleVoice::FillVoiceBuffer(const unsigned char* source) {
  void* region = nullptr;
  std::uint32_t regionBytes = 0;
  std::int32_t result = voiceBuffer->Lock(0, 0, &region, &regionBytes, kDsblockEntireBuffer);
  if (result == kDsErrBufferLost) {
    voiceBuffer->Restore();
    result = voiceBuffer->Lock(0, 0, &region, &regionBytes, kDsblockEntireBuffer);
  }
  if (result != kDsOk) {
    return false;
  }
  // The buffer was made sampleBytes long; never copy more than the sample holds.
  const std::uint32_t copied = regionBytes < sampleBytes ? regionBytes : sampleBytes;
  if (region != nullptr && copied != 0) {
    std::memcpy(region, source, copied);
  }
  return voiceBuffer->Unlock(region, regionBytes) == kDsOk;
}

void SampleVoice::Play(std::int32_t volume, std::int32_t pan, std::uint32_t startOffset,
                       bool looping) {
  if (device_.soundDevice == nullptr || voiceBuffer == nullptr || sampleData == nullptr ||
      sampleBytes == 0 || enabled == 0) {
    return;
  }
  voiceBuffer->SetCurrentPosition(startOffset < sampleBytes ? startOffset : sampleBytes);
  voiceBuffer->SetVolume(volume);
  voiceBuffer->SetPan(pan);
  const std::uint32_t flags = looping ? kDsbplayLooping : 0;
  if (voiceBuffer->Play(0, 0, flags) == kDsErrBufferLost) {
    FillVoiceBuffer(sampleData);
    voiceBuffer->Play(0, 0, flags);
  }
}
