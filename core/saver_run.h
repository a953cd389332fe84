// The run's wiring, the same in every shell (the Windows saver, the XScreenSaver hack, the render
// tool): the set-up in its fixed order, and the user's actions on the scene.
#pragma once

#include <cstdint>

#include "base/handles.h"

// After the scene's set-up (gl/: SetUpScene, with its draws): the sequencer from saverContext's
// settings, then the sample bank, whose sound device takes `soundWindow` as its window.
void SetUpRun(WindowHandle soundWindow);

enum class SceneAction {
  kTransform,  // Space: switch many cells at once
  kReset,      // Down arrow, right click: silence, and the dice from their fixed seed
  kDayNight,   // Enter: day and night, the day background being the fog colour
};

void ApplySceneAction(SceneAction action);
