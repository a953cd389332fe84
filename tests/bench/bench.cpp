// Benchmarks: one frame, its 25 plays at most included, under OSMesa at full HD and at the
// preview's size (ostinel-render --bench reports a render's stages). They never fail on a time.
#include <GL/osmesa.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "audio/software_mixer.h"
#include "base/program_resources.h"
#include "core/sample_bank.h"
#include "core/saver_context.h"
#include "core/saver_run.h"
#include "core/sequencer.h"
#include "core/shared_state.h"
#include "fakes.h"
#include "gl/gl.h"
#include "gl/renderer.h"
#include "gl/scene.h"

namespace {

// An OSMesa context current on a buffer of its own, for as long as it lives.
struct Offscreen {
  std::vector<std::uint8_t> pixels;
  OSMesaContext gl = OSMesaCreateContextExt(OSMESA_RGBA, 16, 0, 0, nullptr);
  Offscreen(int w, int h) : pixels(static_cast<std::size_t>(w) * h * 4) {
    OSMesaMakeCurrent(gl, pixels.data(), GL_UNSIGNED_BYTE, w, h);
  }
  ~Offscreen() { OSMesaDestroyContext(gl); }
};

// The 25 samples in a software mixer, loaded once: the bank's static voices release into it at
// exit, so it is never deleted.
SoftwareMixer& Bank() {
  static SoftwareMixer* const mixer = new SoftwareMixer;
  static FakeClock clock;
  static const bool loaded = [] {
    SaverContext context;
    BeginRun(kSaver, context, RunPlatform{clock, mixer, PlatformResources()}, 0);
    LoadSampleBank(1);
    EndRun();
    return true;
  }();
  benchmark::DoNotOptimize(loaded);
  return *mixer;
}

// One frame, spinning, with a transformed pattern, finished on the GL. Wall time: Mesa may
// rasterise on threads of its own.
void BM_RenderFrame(benchmark::State& state) {
  Offscreen offscreen(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  SoftwareMixer& mixer = Bank();
  SaverContext context;
  context.params[kRotationParam] = 1;
  FakeClock clock;
  BeginRun(kSaver, context, RunPlatform{clock, &mixer, PlatformResources()}, 0);
  ResetMatrix();
  TransformMatrix();
  SetUpScene(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  for (auto _ : state) {
    clock.milliseconds += 16;
    RenderFrame();
    glFinish();
  }
  state.counters["fps"] = benchmark::Counter(1, benchmark::Counter::kIsIterationInvariantRate);
  EndRun();
}
BENCHMARK(BM_RenderFrame)->Args({1920, 1080})->Args({152, 112})->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
