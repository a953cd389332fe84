// The run's shared state, its set-up order and the user's actions.
#include "core/saver_run.h"

#include "core/random.h"
#include "core/sample_bank.h"
#include "core/sequencer.h"
#include "core/shared_state.h"
#include "core/view.h"

void BeginRun(std::int32_t mode, SaverContext& context, const RunPlatform& platform,
              std::uint32_t seed) {
  engine = EngineState();
  view = ViewState();
  input = InputState();
  SeedRandom(seed);
  runMode = mode;
  saverContext = &context;
  frameClock = &platform.clock;
  soundPlatform = SoundPlatform{platform.sound, &platform.clock, &platform.resources};
}

void EndRun() {
  saverContext = nullptr;
  frameClock = nullptr;
  soundPlatform = SoundPlatform();
}

void SetUpRun(WindowHandle soundWindow) {
  ConfigureSequencer(*saverContext);
  LoadSampleBank(soundWindow);
}

void ApplySceneAction(SceneAction action) {
  switch (action) {
    case SceneAction::kTransform:
      TransformMatrix();
      break;
    case SceneAction::kReset:
      ResetMatrix();
      break;
    case SceneAction::kDayNight:
      ToggleDayNight(kDayFogColour);
      break;
  }
}
