// The sample voice's load, play and release steps, over the sound-device seam.
#include "audio/sample_voice.h"

#include <cstring>

#include "audio/wave.h"
#include "base/clock.h"
#include "base/program_resources.h"

// The sound globals, declared with the rest of the process-wide state.
SoundPlatform soundPlatform;
SoundDevice* soundDevice = nullptr;
std::int32_t liveVoiceCount = 0;
bool soundDeviceUnavailable = false;

namespace {

bool Retryable(std::int32_t result) {
  return result == kDsErrAllocated || result == kDsErrNoDriver;
}

// Creates the shared device, waiting between attempts while it is busy or has no driver.
bool CreateSharedDevice(WindowHandle ownerWindow) {
  if (soundDeviceUnavailable || soundPlatform.system == nullptr) {
    soundDeviceUnavailable = true;
    return false;
  }
  std::int32_t result = kDsOk;
  for (int attempt = 1; attempt <= kDeviceAttempts; ++attempt) {
    if (attempt > 1 && soundPlatform.clock != nullptr) {
      soundPlatform.clock->Sleep(kDeviceRetryDelayMs);
    }
    soundDevice = nullptr;
    result = soundPlatform.system->CreateDevice(&soundDevice);
    if (!Retryable(result)) {
      break;
    }
  }
  if (result != kDsOk || soundDevice == nullptr) {
    soundDevice = nullptr;
    soundDeviceUnavailable = true;
    return false;
  }
  soundDevice->SetCooperativeLevel(ownerWindow, kDssclNormal);
  return true;
}

}  // namespace

SampleVoice::SampleVoice()
    : primaryBuffer(nullptr),
      sampleData(nullptr),
      sampleBytes(0),
      voiceBuffer(nullptr),
      enabled(1) {
  ++liveVoiceCount;
}

SampleVoice::~SampleVoice() {
  if (voiceBuffer != nullptr) {
    voiceBuffer->Release();
    voiceBuffer = nullptr;
  }
  --liveVoiceCount;
  if (liveVoiceCount > 0) {
    if (primaryBuffer != nullptr) {
      primaryBuffer->Release();
      primaryBuffer = nullptr;
    }
    return;
  }
  // The last voice releases the device, which takes its own primary buffer with it.
  if (soundDevice != nullptr) {
    soundDevice->Release();
    soundDevice = nullptr;
  }
}

bool SampleVoice::LoadFromResource(int resourceId, WindowHandle ownerWindow) {
  if (soundPlatform.resources == nullptr) {
    return false;
  }
  std::size_t bytes = 0;
  const unsigned char* image = soundPlatform.resources->FindWave(resourceId & 0xffff, &bytes);
  if (image == nullptr) {
    return false;
  }
  return LoadFromMemory(image, bytes, ownerWindow);
}

bool SampleVoice::LoadFromMemory(const void* riffStart, std::size_t imageBytes,
                                 WindowHandle ownerWindow) {
  if (soundDevice == nullptr && !CreateSharedDevice(ownerWindow)) {
    return false;
  }

  SoundBufferDesc primary;
  primary.flags = kDsbcapsPrimaryBuffer;
  if (soundDevice->CreateSoundBuffer(primary, &primaryBuffer) < 0) {
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
  if (soundDevice->CreateSoundBuffer(secondary, &voiceBuffer) != kDsOk) {
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
                       bool looping, const PlayTime& at) {
  if (soundDevice == nullptr || voiceBuffer == nullptr || sampleData == nullptr ||
      sampleBytes == 0 || enabled == 0) {
    return;
  }
  voiceBuffer->SetCurrentPosition(startOffset < sampleBytes ? startOffset : sampleBytes);
  voiceBuffer->SetVolume(volume);
  voiceBuffer->SetPan(pan);
  const std::uint32_t flags = looping ? kDsbplayLooping : 0;
  if (voiceBuffer->Play(0, 0, flags, at) == kDsErrBufferLost) {
    FillVoiceBuffer(sampleData);
    voiceBuffer->Play(0, 0, flags, at);
  }
}
