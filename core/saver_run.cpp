// The run's set-up order and the user's actions.
#include "core/saver_run.h"

#include "core/sample_bank.h"
#include "core/sequencer.h"
#include "core/shared_state.h"
#include "core/view.h"

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
