// The step sequencer: tempo from the settings, triggering on a new step, the step-7 dice.
#include "core/sequencer.h"

#include <algorithm>
#include <cmath>

#include "core/random.h"
#include "core/sample_bank.h"
#include "core/saver_context.h"
#include "core/shared_state.h"
#include "core/view.h"

EngineState engine;
std::uint32_t frameTimeMs = 0;

namespace {

int Draw(int modulus) { return DrawRandom() % modulus; }

std::uint8_t& Cell(int track, int step) { return engine.PatternMatrix[track * kSteps + step]; }

// `at` is the instant the step began, which each play carries to the sound device.
void Trigger(int step, const PlayTime& at) {
  const double dayFactor = view.dayMode ? -1000.0 : -2000.0;
  const double spinRadians = static_cast<double>(view.tableSpin) *
                             static_cast<double>(3.141593f) * static_cast<double>(0.0055555557f);
  const double facing = std::cos(spinRadians);
  for (int track = 0; track < engine.trackCount; ++track) {
    if (engine.trackMuted[track] != 0 || Cell(track, step) == 0) {
      continue;
    }
    const auto volume = static_cast<std::int32_t>(engine.trackLevel[track] * dayFactor);
    const double place = static_cast<double>(track) / engine.trackCount * 20000.0 - 10000.0;
    const auto pan = static_cast<std::int32_t>(facing * place);
    SampleBank[track].Play(volume, pan, 0, false, at);
  }
}

void MutationBurst() {
  for (int time = 0; time < 10; ++time) {
    const int track = Draw(engine.trackCount);
    for (int cell = 0; cell < 2; ++cell) {
      const bool on = Draw(engine.densityDivisor) == 0;
      Cell(track, Draw(kSteps)) = on ? 1 : 0;
    }
  }
  const int muted = Draw(engine.trackCount);
  engine.trackMuted[muted] = Draw(3) == 0 ? 1 : 0;
}

void AccentMove() {
  engine.trackLevel[engine.accentTrack] = 1.0f;
  engine.accentTrack = Draw(engine.trackCount);
  engine.trackLevel[engine.accentTrack] = 0.2f;
}

void ClearingBurst() {
  for (int time = 0; time < 10; ++time) {
    const int track = Draw(engine.trackCount);
    Cell(track, Draw(kSteps)) = 0;
    Cell(track, Draw(kSteps)) = 0;
  }
}

}  // namespace

void ConfigureSequencer(const SaverContext& context) {
  const std::int32_t density = context.params[kDensityParam];
  engine.densityDivisor = density == 0 ? 8 : (density == 1 ? 5 : 2);

  // An index outside what gives a positive bar (only a hand-written registry value can) takes the
  // nearest one that does.
  const std::int32_t tempo =
      std::clamp(context.params[kTempoParam], kSlowestTempoIndex, kFastestTempoIndex);
  engine.cyclePeriodMs = 120000 / ((tempo + 3) * 20);
  engine.stepPeriodMs = static_cast<float>(engine.cyclePeriodMs * 0.125);

  const std::int32_t transient = context.params[kTransientParam];
  engine.mutationChance = transient == 0 ? 2000 : (transient == 1 ? 6000 : 18000);
}

void SequencerTick() {
  const std::uint32_t r = frameTimeMs % static_cast<std::uint32_t>(engine.cyclePeriodMs);
  const int step = std::min(static_cast<int>(static_cast<float>(r) / engine.stepPeriodMs), 7);
  engine.currentStep = step;
  if (step != engine.previousStep) {
    // The step began `step` step periods into the bar, which began r ms before this tick.
    const double began = static_cast<double>(frameTimeMs - r) + step * static_cast<double>(engine.stepPeriodMs);
    Trigger(step, PlayTime{std::fmod(began, kTimerSpanMs), true});
  }
  engine.previousStep = step;

  if (step != 7) {
    return;
  }
  if (DrawRandom() < engine.mutationChance) {
    MutationBurst();
  }
  if (DrawRandom() < 400) {
    AccentMove();
  }
  if (DrawRandom() < 40) {
    ClearingBurst();
  }
  if (DrawRandom() < 10) {
    ToggleDayNight(kBrightDayColour);
  }
}

void ResetMatrix() {
  SeedRandom(10);
  if (engine.trackCount > 0) {
    std::fill(engine.trackMuted, engine.trackMuted + engine.trackCount, 0);
    std::fill(engine.PatternMatrix, engine.PatternMatrix + engine.trackCount * kSteps, 0);
  }
}

void TransformMatrix() {
  for (int time = 0; time < 300; ++time) {
    const int track = Draw(engine.trackCount);
    Cell(track, Draw(kSteps)) = 1;
    Cell(track, Draw(kSteps)) = 0;
    Cell(track, Draw(kSteps)) = 0;
    engine.trackMuted[track] = Draw(3) == 0 ? 1 : 0;
  }
}
