// libFuzzer target: ParseWave on arbitrary images must stay inside them and hand out only bytes
// that lie inside them.
#include <cstdint>
#include <cstdlib>

#include "audio/wave.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ParsedWave wave;
  if (ParseWave(data, size, &wave)) {
    const std::uint8_t* end = data + size;
    if (wave.sampleData < data || wave.sampleData > end ||
        wave.sampleBytes > static_cast<std::size_t>(end - wave.sampleData)) {
      std::abort();
    }
    volatile std::uint8_t sink = 0;
    for (std::uint32_t i = 0; i < wave.sampleBytes; ++i) {
      sink = sink ^ wave.sampleData[i];
    }
  }
  return 0;
}
