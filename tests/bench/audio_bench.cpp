// Benchmarks of the sound path: mixing many sounding voices, and the cost of a Play.
#include <benchmark/benchmark.h>

#include <vector>

#include "audio/sample_voice.h"
#include "audio/software_mixer.h"

namespace {

// A second-long stereo buffer of noise-like samples.
std::vector<std::int16_t> TestFrames() {
  std::vector<std::int16_t> frames(kMixRate * 2);
  std::uint32_t state = 1;
  for (std::int16_t& sample : frames) {
    state = state * 1664525u + 1013904223u;
    sample = static_cast<std::int16_t>(state >> 17);
  }
  return frames;
}

void BM_Mix25Voices(benchmark::State& state) {
  const std::vector<std::int16_t> frames = TestFrames();
  std::vector<MixVoice> voices(25);
  std::vector<MixVoice*> pointers;
  for (MixVoice& voice : voices) {
    voice.frames = frames.data();
    voice.frameCount = static_cast<std::uint32_t>(frames.size() / 2);
    voice.looping = true;
    voice.playing = true;
    GainsFor(-1000, 2000, &voice.gainLeft, &voice.gainRight);
    pointers.push_back(&voice);
  }
  constexpr std::size_t kFrames = 441;  // 10 ms
  std::vector<std::int16_t> out(kFrames * 2);
  for (auto _ : state) {
    MixVoices(pointers.data(), pointers.size(), out.data(), kFrames);
    benchmark::DoNotOptimize(out.data());
  }
  // Seconds of sound per second of work: the multiple of real time.
  state.counters["x_realtime"] = benchmark::Counter(
      static_cast<double>(kFrames) / kMixRate, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_Mix25Voices);

void BM_Play(benchmark::State& state) {
  SoftwareMixer mixer;
  soundPlatform = SoundPlatform{&mixer, nullptr, nullptr};
  const std::vector<std::int16_t> frames = TestFrames();
  std::vector<unsigned char> image = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E',
                                      'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 2, 0,
                                      0x44, 0xAC, 0, 0, 0x10, 0xB1, 2, 0, 4, 0, 16, 0,
                                      'd', 'a', 't', 'a', 0, 0, 0, 0};
  const std::uint32_t bytes = static_cast<std::uint32_t>(frames.size() * 2);
  for (int i = 0; i < 4; ++i) {
    image[40 + i] = static_cast<unsigned char>(bytes >> (8 * i));
  }
  const auto* raw = reinterpret_cast<const unsigned char*>(frames.data());
  image.insert(image.end(), raw, raw + bytes);
  const std::uint32_t riff = static_cast<std::uint32_t>(image.size() - 8);
  for (int i = 0; i < 4; ++i) {
    image[4 + i] = static_cast<unsigned char>(riff >> (8 * i));
  }
  {
    SampleVoice voice;
    voice.LoadFromMemory(image.data(), image.size(), 0);
    std::int32_t pan = 0;
    for (auto _ : state) {
      voice.Play(-1000, pan, 0, false);
      pan = (pan + 37) % 10000;
    }
  }
  soundPlatform = SoundPlatform{};
}
BENCHMARK(BM_Play);

}  // namespace

BENCHMARK_MAIN();
