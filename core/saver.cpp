// The saver's value, its set-up order, the user's actions and a frame.
#include "core/saver.h"

#include <algorithm>

#include "base/clock.h"

Saver::Saver(std::int32_t mode, const RunPlatform& platform, std::uint32_t seed)
    : runMode(mode), frameClock(platform.clock) {
  SeedRandom(random, seed);
  SampleBank.device.system = platform.sound;
  SampleBank.device.clock = &platform.clock;
  SampleBank.device.resources = &platform.resources;
}

void SetUpRun(Saver& saver, WindowHandle soundWindow) {
  ConfigureSequencer(saver.engine, saver.saverContext);
  LoadSampleBank(saver.SampleBank, soundWindow);
}

void ApplySceneAction(Saver& saver, SceneAction action) {
  switch (action) {
    case SceneAction::kTransform:
      TransformMatrix(saver.engine, saver.random);
      break;
    case SceneAction::kReset:
      ResetMatrix(saver.engine, saver.random);
      break;
    case SceneAction::kDayNight:
      ToggleDayNight(saver.view, kDayFogColour);
      break;
  }
}

Frame AdvanceFrame(Saver& saver, std::uint32_t frameTimeMs) {
  Frame frame;
  saver.frameTimeMs = frameTimeMs;
  frame.frameTimeMs = frameTimeMs;
  frame.dayMode = saver.view.dayMode;
  frame.background = saver.view.background;
  frame.camera = UpdateCamera(saver.view, saver.random);
  const EngineState& engine = saver.engine;
  frame.trackCount = std::clamp(engine.trackCount, 0, kMaxTracks);
  std::copy(std::begin(engine.PatternMatrix), std::end(engine.PatternMatrix), frame.PatternMatrix);
  std::copy(std::begin(engine.trackMuted), std::end(engine.trackMuted), frame.trackMuted);
  frame.accentTrack = engine.accentTrack;
  frame.currentStep = engine.currentStep;
  frame.monitors = saver.monitorViewports;
  SequencerTick(saver, &frame.plays);
  SequencerTick(saver, &frame.plays);
  return frame;
}
