// The saver as one value: everything a run holds (its settings and window session, the rhythm
// engine, the view, the input, the dice, the clock, the monitors and the sample bank), created and
// owned by the shell that runs it and handed to the core's operations. A frame is a function of it:
// AdvanceFrame moves the saver to a frame time and returns what that frame shows and plays.
#pragma once

#include <cstdint>
#include <vector>

#include "audio/sample_play.h"
#include "base/handles.h"
#include "core/input_rules.h"
#include "core/monitor_layout.h"
#include "core/random.h"
#include "core/run_mode.h"
#include "core/sample_bank.h"
#include "core/saver_context.h"
#include "core/sequencer.h"
#include "core/view.h"

class Clock;
class ProgramResources;
class SoundSystem;

// What a run takes from its platform: the clock (the frames' millisecond timer, the tick count of
// the password grace period, the voices' waits), the sound system of the voices (null: they stay
// silent) and the program's resources.
struct RunPlatform {
  Clock& clock;
  SoundSystem* sound;
  ProgramResources& resources;
};

struct Saver {
  // A run in `mode`, the generator seeded with `seed`, everything else at its start-up value.
  Saver(std::int32_t mode, const RunPlatform& platform, std::uint32_t seed);
  Saver(const Saver&) = delete;
  Saver& operator=(const Saver&) = delete;

  std::int32_t runMode;           // what the command line asked for; 0 when it named nothing known
  SaverContext saverContext;      // the settings and the saver window's state
  Clock& frameClock;              // the millisecond timer and the tick count
  std::uint32_t frameTimeMs = 0;  // the frame's time, which both its ticks see
  EngineState engine;
  ViewState view;
  InputState input;
  Random random;
  // The monitors of a window that spans several, each drawn into with the same camera. With none
  // or one, a frame draws into the viewport the scene set up.
  std::vector<Viewport> monitorViewports;
  VoiceBank SampleBank;  // the voices of the Windows saver; other shells mix the samples themselves
};

// After the scene's set-up (gl/: SetUpScene, with its draws): the sequencer from the settings,
// then the sample bank, whose sound device takes `soundWindow` as its window.
void SetUpRun(Saver& saver, WindowHandle soundWindow);

enum class SceneAction {
  kTransform,  // Space: switch many cells at once
  kReset,      // Down arrow, right click: silence, and the dice from their fixed seed
  kDayNight,   // Enter: day and night, the day background being the fog colour
};

void ApplySceneAction(Saver& saver, SceneAction action);

// What a frame shows and plays. The picture is the state as the previous frame and the input since
// left it; the plays are those the frame's two ticks made, each due at the instant its step began.
struct Frame {
  std::uint32_t frameTimeMs = 0;
  Camera camera{};
  bool dayMode = true;
  ClearColour background = kDayFogColour;
  std::int32_t trackCount = 0;
  std::uint8_t PatternMatrix[kMaxTracks * kSteps] = {};
  std::uint8_t trackMuted[kMaxTracks] = {};
  std::int32_t accentTrack = 0;
  std::int32_t currentStep = 0;
  std::vector<Viewport> monitors;
  std::vector<SamplePlay> plays;
};

// One frame at `frameTimeMs`: the time, the camera (which moves the spin and the tilt on), the
// picture, then two sequencer ticks with that time.
Frame AdvanceFrame(Saver& saver, std::uint32_t frameTimeMs);
