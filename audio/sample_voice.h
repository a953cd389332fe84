// SampleVoice: one WAVE sample as a sound on the shared sound device, started with a volume and a
// pan. The only code that talks to the sound device.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/handles.h"
#include "base/sound_device.h"

class Clock;
class ProgramResources;

// Where the voices find the platform: the device factory, the clock they wait on between device
// attempts, and the program's resources. The voices read it from `soundPlatform`, and share one
// device (`soundDevice`), released with the last voice destroyed.
struct SoundPlatform {
  SoundSystem* system = nullptr;
  Clock* clock = nullptr;
  ProgramResources* resources = nullptr;
};

inline constexpr int kDeviceAttempts = 10;
inline constexpr std::uint32_t kDeviceRetryDelayMs = 500;

class SampleVoice {
 public:
  SampleVoice();
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
  // `at` is the instant the play is due, which the sound device honours or not.
  void Play(std::int32_t volume, std::int32_t pan, std::uint32_t startOffset, bool looping,
            const PlayTime& at = PlayTime());

  SoundBuffer* primaryBuffer;
  const unsigned char* sampleData;
  std::uint32_t sampleBytes;
  SoundBuffer* voiceBuffer;
  std::int32_t enabled;

 private:
  bool FillVoiceBuffer(const unsigned char* source);
};
