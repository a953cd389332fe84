// Reports how long after a Play its onset reaches a PulseAudio source (the test sink's monitor):
// the hack's output path (mixer, audio thread, stream) against a record stream of small blocks.
// The figure includes the recording's own delay, so it is an upper bound. Reports, never fails.
#include <pulse/simple.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "audio/pulse_output_linux.h"
#include "audio/software_mixer.h"

int main(int argc, char** argv) {
  const char* source = argc > 1 ? argv[1] : "cap.monitor";
  SoftwareMixer mixer;
  SoundDevice* device = nullptr;
  mixer.CreateDevice(&device);
  const WaveFormat format = StereoPcm44100();
  SoundBufferDesc desc;
  desc.flags = kDsbcapsStatic | kDsbcapsCtrlVolume | kDsbcapsCtrlPan;
  desc.bufferBytes = 441 * 4;  // 10 ms of a loud square wave
  desc.format = &format;
  SoundBuffer* click = nullptr;
  device->CreateSoundBuffer(desc, &click);
  void* region = nullptr;
  std::uint32_t bytes = 0;
  click->Lock(0, 0, &region, &bytes, kDsblockEntireBuffer);
  auto* samples = static_cast<std::int16_t*>(region);
  for (std::uint32_t i = 0; i < bytes / 2; ++i) {
    samples[i] = (i / 40) % 2 ? 20000 : -20000;
  }
  click->Unlock(region, bytes);

  PulseOutput output;
  std::string error;
  if (!output.Open("play_latency", &error)) {
    std::fprintf(stderr, "play_latency: %s\n", error.c_str());
    return 1;
  }
  output.Start(mixer);
  pa_sample_spec spec{PA_SAMPLE_S16LE, kMixRate, 2};
  pa_buffer_attr attr{static_cast<std::uint32_t>(-1), 0, 0, 0, 64 * 4};
  pa_simple* record = pa_simple_new(nullptr, "play_latency", PA_STREAM_RECORD, source, "probe",
                                    &spec, nullptr, &attr, nullptr);
  if (record == nullptr) {
    std::fprintf(stderr, "play_latency: cannot record %s\n", source);
    return 1;
  }
  using Clock = std::chrono::steady_clock;
  std::int16_t block[64 * 2];
  std::vector<double> delays;
  for (int round = 0; round < 12; ++round) {
    for (const auto quiet = Clock::now() + std::chrono::milliseconds(250); Clock::now() < quiet;) {
      pa_simple_read(record, block, sizeof block, nullptr);
    }
    const auto played = Clock::now();
    click->SetCurrentPosition(0);
    click->Play(0, 0, 0);
    for (bool heard = false; !heard && Clock::now() - played < std::chrono::seconds(1);) {
      pa_simple_read(record, block, sizeof block, nullptr);
      heard = std::any_of(block, block + 128, [](std::int16_t s) { return std::abs(s) > 10000; });
      if (heard) {
        delays.push_back(std::chrono::duration<double, std::milli>(Clock::now() - played).count());
      }
    }
  }
  const pa_usec_t recordLatency = pa_simple_get_latency(record, nullptr);
  pa_simple_free(record);
  output.Close();
  click->Release();
  device->Release();
  std::sort(delays.begin(), delays.end());
  if (delays.empty()) {
    std::printf("play_latency: no onset heard\n");
    return 1;
  }
  std::printf("play to onset: median %.1f ms, max %.1f ms over %zu plays (recording latency %.1f ms)\n",
              delays[delays.size() / 2], delays.back(), delays.size(), recordLatency / 1000.0);
  return 0;
}
