// Built with ThreadSanitizer: the frame thread plays, sets volumes and pans while an audio thread
// renders, as in the hack. Fails on a data race (TSan), on silence, or on an allocation while
// playing.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "audio/software_mixer.h"

#include <sanitizer/allocator_interface.h>

static std::atomic<long> allocations{0};

static void CountAllocation(const volatile void*, std::size_t) { ++allocations; }

int main() {
  SoftwareMixer mixer;
  SoundDevice* device = nullptr;
  mixer.CreateDevice(&device);
  const WaveFormat format = StereoPcm44100();
  SoundBufferDesc desc;
  desc.flags = kDsbcapsStatic | kDsbcapsCtrlVolume | kDsbcapsCtrlPan;
  desc.bufferBytes = 4410 * 4;
  desc.format = &format;
  SoundBuffer* voices[4] = {};
  for (SoundBuffer*& voice : voices) {
    device->CreateSoundBuffer(desc, &voice);
    void* region = nullptr;
    std::uint32_t bytes = 0;
    voice->Lock(0, 0, &region, &bytes, kDsblockEntireBuffer);
    for (std::uint32_t i = 0; i < bytes / 2; ++i) {
      static_cast<std::int16_t*>(region)[i] = 8000;
    }
    voice->Unlock(region, bytes);
  }

  __sanitizer_install_malloc_and_free_hooks(CountAllocation, nullptr);
  std::atomic<bool> running{true};
  std::atomic<long> loud{0};
  std::thread audio([&] {
    std::int16_t block[128 * 2];
    while (running) {
      mixer.Render(block, 128);
      loud += block[0] != 0 ? 1 : 0;
    }
  });
  while (loud == 0) {
    voices[0]->Play(0, 0, 0, PlayTime());  // until the audio thread runs
  }
  const long before = allocations.load();
  for (int i = 0; i < 20000; ++i) {
    SoundBuffer* voice = voices[i % 4];
    voice->SetCurrentPosition(0);
    voice->SetVolume(-(i % 2000));
    voice->SetPan(i % 20001 - 10000);
    voice->Play(0, 0, 0, PlayTime());
  }
  const long during = allocations.load() - before;
  running = false;
  audio.join();
  for (SoundBuffer* voice : voices) {
    voice->Release();
  }
  device->Release();
  std::printf("%ld rendered blocks with sound, %ld allocations while playing\n", loud.load(),
              during);
  return during == 0 ? 0 : 1;
}
