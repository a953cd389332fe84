// Benchmarks: one frame, its 25 plays at most included, under OSMesa at full HD and at the
// preview's size (ostinel-render --bench reports a render's stages). They never fail on a time.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "audio/software_mixer.h"
#include "base/program_resources.h"
#include "core/saver.h"
#include "fakes.h"
#include "gl/gl.h"
#include "gl/renderer.h"
#include "gl/scene.h"
#include "offscreen_gl.h"

namespace {

// One frame, spinning, with a transformed pattern, its plays mixed, finished on the GL. Wall time:
// Mesa may rasterise on threads of its own.
void BM_RenderFrame(benchmark::State& state) {
  const OffscreenGl offscreen(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  SoftwareMixer mixer;
  LoadSamples(PlatformResources(),
              [&mixer](int slot, const ParsedWave& wave) { return mixer.Load(slot, wave); });
  FakeClock clock;
  Saver saver(kSaver, RunPlatform{clock, nullptr, PlatformResources()}, 0);
  saver.saverContext.rotation() = 1;
  ApplySceneAction(saver, SceneAction::kReset);
  ApplySceneAction(saver, SceneAction::kTransform);
  SetUpScene(saver, static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  ConfigureSequencer(saver.engine, saver.saverContext);
  std::uint32_t time = 0;
  for (auto _ : state) {
    time += 16;
    const Frame frame = AdvanceFrame(saver, time);
    for (const SamplePlay& play : frame.plays) {
      mixer.Play(play);
    }
    RenderFrame(frame);
    glFinish();
  }
  state.counters["fps"] = benchmark::Counter(1, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_RenderFrame)->Args({1920, 1080})->Args({152, 112})->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
