// Benchmarks of the scene: a sequencer tick that plays a whole step, a tick that rolls the step-7
// dice, and one frame rendered by OSMesa at full-HD and at the preview's size.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>

#include "app/saver_context.h"
#include "app/startup.h"
#include "audio/sample_voice.h"
#include "audio/software_mixer.h"
#include "display/gl.h"
#include "display/renderer.h"
#include "display/view.h"
#include "engine/random.h"
#include "engine/sample_bank.h"
#include "engine/sequencer.h"
#include "fake_clock.h"
#include "osmesa_context.h"
#include "platform/program_resources.h"

namespace {

// The 25 embedded samples in a software mixer, as a headless run plays them. Loaded once: the
// bank's voices are static and release into the mixer at exit, so the mixer is never deleted.
void LoadBankOnce() {
  static SoftwareMixer* const mixer = new SoftwareMixer;
  static FakeClock clock;
  static const bool loaded = [] {
    soundPlatform = SoundPlatform{mixer, &clock, &PlatformResources()};
    LoadSampleBank(1);
    return true;
  }();
  benchmark::DoNotOptimize(loaded);
}

// A tick that moves to a new step with every cell on: 25 Plays. Steps 0 to 6 only, so no dice.
void BM_SequencerTickNewStep(benchmark::State& state) {
  OffscreenContext gl(16, 16);
  LoadBankOnce();
  engine = EngineState();
  view = ViewState();
  std::fill(engine.PatternMatrix, engine.PatternMatrix + engine.trackCount * kSteps, 1);
  std::uint32_t step = 0;
  for (auto _ : state) {
    step = step == 6 ? 0 : step + 1;
    frameTimeMs = step * 250 + 10;
    SequencerTick();
  }
  state.counters["plays"] =
      benchmark::Counter(engine.trackCount, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_SequencerTickNewStep);

// A tick that stays on step 7: no Play, the four dice and whatever they set off.
void BM_SequencerTickDice(benchmark::State& state) {
  OffscreenContext gl(16, 16);  // the day dice set the clear colour and fog
  engine = EngineState();
  view = ViewState();
  SeedRandom(1);
  frameTimeMs = 1900;
  engine.currentStep = engine.previousStep = 7;
  for (auto _ : state) {
    SequencerTick();
  }
}
BENCHMARK(BM_SequencerTickDice);

// One frame, spinning, with a transformed pattern and the bank playing, finished on the GL.
void BM_RenderFrame(benchmark::State& state) {
  const auto width = static_cast<int>(state.range(0));
  const auto height = static_cast<int>(state.range(1));
  OffscreenContext gl(width, height);
  if (!gl.ok()) {
    state.SkipWithError("no OSMesa context");
    return;
  }
  LoadBankOnce();
  SaverContext context;
  context.params[kRotationParam] = 1;
  FakeClock clock;
  saverContext = &context;
  frameClock = &clock;
  engine = EngineState();
  view = ViewState();
  ResetMatrix();
  TransformMatrix();
  SetUpScene(width, height);
  for (auto _ : state) {
    clock.milliseconds += 16;
    RenderFrame();
    glFinish();
  }
  state.counters["fps"] = benchmark::Counter(1, benchmark::Counter::kIsIterationInvariantRate);
  state.SetLabel(reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
  saverContext = nullptr;
  frameClock = nullptr;
}
// Wall time: Mesa may rasterise on threads of its own.
BENCHMARK(BM_RenderFrame)
    ->Args({1920, 1080})
    ->Args({152, 112})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
