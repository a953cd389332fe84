// Built with ThreadSanitizer: the frame thread plays samples while an audio thread renders, as in
// the hack. Fails on a data race (TSan), on silence, or on an allocation while
// playing.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "audio/software_mixer.h"

#include <sanitizer/allocator_interface.h>

static std::atomic<long> allocations{0};

static void CountAllocation(const volatile void*, std::size_t) {
  ++allocations;
}

int main() {
  SoftwareMixer mixer;
  std::vector<unsigned char> bytes(4410 * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 2) {
    bytes[i + 1] = 0x1F;  // 7936, little-endian
  }
  ParsedWave wave;
  wave.format = StereoPcm44100();
  wave.sampleData = bytes.data();
  wave.sampleBytes = static_cast<std::uint32_t>(bytes.size());
  for (int slot = 0; slot < 4; ++slot) {
    mixer.Load(slot, wave);
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
    mixer.Play({0, 0, 0, 0.0});  // until the audio thread runs
  }
  const long before = allocations.load();
  for (int i = 0; i < 20000; ++i) {
    mixer.Play({i % 4, -(i % 2000), i % 20001 - 10000, 0.0});
  }
  const long during = allocations.load() - before;
  running = false;
  audio.join();
  std::printf("%ld rendered blocks with sound, %ld allocations while playing\n", loud.load(),
              during);
  return during == 0 ? 0 : 1;
}
