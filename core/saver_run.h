// The run's wiring, the same in every shell (the Windows saver, the XScreenSaver hack, the render
// tool) and in the tests: the shared state set up for a run, the set-up in its fixed order, and the
// user's actions on the scene.
#pragma once

#include <cstdint>

#include "base/handles.h"

class Clock;
class ProgramResources;
class SoundSystem;
struct SaverContext;

// What a run takes from its platform: the clock (the frames' millisecond timer, the tick count of
// the password grace period, the voices' waits), the sound system (null: silent) and the program's
// resources.
struct RunPlatform {
  Clock& clock;
  SoundSystem* sound;
  ProgramResources& resources;
};

// Starts a run in `mode` over `context`, which must outlive it: the engine, the view and the input
// at their load-time values, the generator seeded with `seed`, and runMode, saverContext,
// frameClock and the voices' soundPlatform set from the arguments.
void BeginRun(std::int32_t mode, SaverContext& context, const RunPlatform& platform,
              std::uint32_t seed);

// Ends the run: no context, no frame clock, no sound services. runMode keeps its value.
void EndRun();

// After the scene's set-up (gl/: SetUpScene, with its draws): the sequencer from saverContext's
// settings, then the sample bank, whose sound device takes `soundWindow` as its window.
void SetUpRun(WindowHandle soundWindow);

enum class SceneAction {
  kTransform,  // Space: switch many cells at once
  kReset,      // Down arrow, right click: silence, and the dice from their fixed seed
  kDayNight,   // Enter: day and night, the day background being the fog colour
};

void ApplySceneAction(SceneAction action);
