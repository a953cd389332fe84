// The step sequencer: tempo from the settings, triggering on a new step, the step-7 dice.
#include "core/sequencer.h"

#include <algorithm>
#include <cmath>

#include "core/random.h"
#include "core/saver.h"
#include "core/settings_table.h"
#include "core/view.h"

namespace {

int Draw(Random& random, int modulus) {
  return DrawRandom(random) % modulus;
}

std::uint8_t& Cell(EngineState& engine, int track, int step) {
  return engine.PatternMatrix[track * kSteps + step];
}

// Each un-muted track with its cell on at `step` plays, due at `at`, the instant the step began.
void Trigger(const EngineState& engine, const ViewState& view, int step, double at,
             std::vector<SamplePlay>* plays) {
  const double dayFactor = view.dayMode ? -1000.0 : -2000.0;
  const double spinRadians = static_cast<double>(view.tableSpin) * static_cast<double>(3.141593f) *
                             static_cast<double>(0.0055555557f);
  const double facing = std::cos(spinRadians);
  for (int track = 0; track < engine.trackCount; ++track) {
    if (engine.trackMuted[track] != 0 || engine.PatternMatrix[track * kSteps + step] == 0) {
      continue;
    }
    const auto volume = static_cast<std::int32_t>(engine.trackLevel[track] * dayFactor);
    const double place = static_cast<double>(track) / engine.trackCount * 20000.0 - 10000.0;
    const auto pan = static_cast<std::int32_t>(facing * place);
    plays->push_back(SamplePlay{track, volume, pan, at});
  }
}

void MutationBurst(EngineState& engine, Random& random) {
  for (int time = 0; time < 10; ++time) {
    const int track = Draw(random, engine.trackCount);
    for (int cell = 0; cell < 2; ++cell) {
      const bool on = Draw(random, engine.densityDivisor) == 0;
      Cell(engine, track, Draw(random, kSteps)) = on ? 1 : 0;
    }
  }
  const int muted = Draw(random, engine.trackCount);
  engine.trackMuted[muted] = Draw(random, 3) == 0 ? 1 : 0;
}

void AccentMove(EngineState& engine, Random& random) {
  engine.trackLevel[engine.accentTrack] = 1.0f;
  engine.accentTrack = Draw(random, engine.trackCount);
  engine.trackLevel[engine.accentTrack] = 0.2f;
}

void ClearingBurst(EngineState& engine, Random& random) {
  for (int time = 0; time < 10; ++time) {
    const int track = Draw(random, engine.trackCount);
    Cell(engine, track, Draw(random, kSteps)) = 0;
    Cell(engine, track, Draw(random, kSteps)) = 0;
  }
}

}  // namespace

void ConfigureSequencer(EngineState& engine, const Settings& settings) {
  const std::int32_t density = settings.density();
  engine.densityDivisor = density == 0 ? 8 : (density == 1 ? 5 : 2);

  // An index outside what gives a positive bar (only a hand-written registry value can) takes the
  // nearest one that does.
  const std::int32_t tempo = std::clamp(settings.tempo(), kSlowestTempoIndex, kFastestTempoIndex);
  engine.cyclePeriodMs = 120000 / ((tempo + 3) * 20);
  engine.stepPeriodMs = static_cast<float>(engine.cyclePeriodMs * 0.125);

  const std::int32_t transient = settings.transient();
  engine.mutationChance = transient == 0 ? 2000 : (transient == 1 ? 6000 : 18000);
}

void SequencerTick(Saver& saver, std::vector<SamplePlay>* plays) {
  EngineState& engine = saver.engine;
  Random& random = saver.random;
  const std::uint32_t frameTimeMs = saver.frameTimeMs;
  const std::uint32_t r = frameTimeMs % static_cast<std::uint32_t>(engine.cyclePeriodMs);
  const int step = std::min(static_cast<int>(static_cast<float>(r) / engine.stepPeriodMs), 7);
  engine.currentStep = step;
  if (step != engine.previousStep) {
    // The step began `step` step periods into the bar, which began r ms before this tick.
    const double began =
        static_cast<double>(frameTimeMs - r) + step * static_cast<double>(engine.stepPeriodMs);
    Trigger(engine, saver.view, step, std::fmod(began, kTimerSpanMs), plays);
  }
  engine.previousStep = step;

  if (step != 7) {
    return;
  }
  if (DrawRandom(random) < engine.mutationChance) {
    MutationBurst(engine, random);
  }
  if (DrawRandom(random) < 400) {
    AccentMove(engine, random);
  }
  if (DrawRandom(random) < 40) {
    ClearingBurst(engine, random);
  }
  if (DrawRandom(random) < 10) {
    ToggleDayNight(saver.view, kBrightDayColour);
  }
}

void ResetMatrix(EngineState& engine, Random& random) {
  SeedRandom(random, 10);
  if (engine.trackCount > 0) {
    std::fill(engine.trackMuted, engine.trackMuted + engine.trackCount, 0);
    std::fill(engine.PatternMatrix, engine.PatternMatrix + engine.trackCount * kSteps, 0);
  }
}

void TransformMatrix(EngineState& engine, Random& random) {
  for (int time = 0; time < 300; ++time) {
    const int track = Draw(random, engine.trackCount);
    Cell(engine, track, Draw(random, kSteps)) = 1;
    Cell(engine, track, Draw(random, kSteps)) = 0;
    Cell(engine, track, Draw(random, kSteps)) = 0;
    engine.trackMuted[track] = Draw(random, 3) == 0 ? 1 : 0;
  }
}
