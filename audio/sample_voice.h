// SampleVoice: one WAVE sample as a sound on the shared DirectSound device, started with a volume
// and a pan. The only code that talks to the sound device.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/handles.h"
#include "base/sound_device.h"

class Clock;
class ProgramResources;

inline constexpr int kDeviceAttempts = 10;
inline constexpr std::uint32_t kDeviceRetryDelayMs = 500;

// What the voices of one bank share: where they find the platform (the device factory, the clock
// they wait on between device attempts, the program's resources) and the one device they play on,
// made by the first load and released with the last voice. It must outlive its voices.
struct VoiceDevice {
  SoundSystem* system = nullptr;
  Clock* clock = nullptr;
  ProgramResources* resources = nullptr;
  SoundDevice* soundDevice = nullptr;
  std::int32_t liveVoiceCount = 0;
  // Set once a load's device attempts have ended without a device: later loads then fail at once
  // instead of making a machine without sound wait 4.5 s for each of them.
  bool soundDeviceUnavailable = false;
};

class SampleVoice {
 public:
  explicit SampleVoice(VoiceDevice& device);
  ~SampleVoice();
  SampleVoice(const SampleVoice&) = delete;
  SampleVoice& operator=(const SampleVoice&) = delete;

  // Loads WAVE resource `resourceId` (its low 16 bits) of the program; `ownerWindow` becomes the
  // device's cooperative window if this load creates the device. True when the voice can play.
  bool LoadFromResource(int resourceId, WindowHandle ownerWindow);
  // The same for a RIFF WAVE image in memory of `imageBytes` bytes, which must outlive the voice:
  // the voice refills its sound buffer from it after a buffer loss.
  bool LoadFromMemory(const void* riffStart, std::size_t imageBytes, WindowHandle ownerWindow);
  // Starts the sample at `startOffset` bytes with `volume` (hundredths of a dB, 0 full, -10000
  // silent) and `pan` (-10000 left to 10000 right). A sounding voice restarts from the offset.
  void Play(std::int32_t volume, std::int32_t pan, std::uint32_t startOffset, bool looping);

  SoundBuffer* primaryBuffer;
  const unsigned char* sampleData;
  std::uint32_t sampleBytes;
  SoundBuffer* voiceBuffer;
  std::int32_t enabled;

 private:
  bool CreateSharedDevice(WindowHandle ownerWindow);
  bool FillVoiceBuffer(const unsigned char* source);

  VoiceDevice& device_;
};
