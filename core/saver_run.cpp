// The run's set-up order and the user's actions.
#include "display/saver_run.h"

#include "app/startup.h"
#include "display/view.h"
#include "engine/sample_bank.h"
#include "engine/sequencer.h"

void SetUpRun(std::int32_t width, std::int32_t height, WindowHandle soundWindow) {
  SetUpScene(width, height);
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
