// The process-wide state, declared once: what each piece holds, where it is defined, who writes it
// and who reads it. All of it lives on the frame thread: the set-up, the input rules between
// frames and the ticks inside a frame change it; no lock guards it. (The hack's audio thread only
// pulls the software mixer, which guards its own buffers.)
#pragma once

#include <cstdint>

#include "audio/sample_voice.h"
#include "base/sound_device.h"
#include "core/input_rules.h"
#include "core/run_mode.h"
#include "core/sample_bank.h"
#include "core/sequencer.h"
#include "core/view.h"

class Clock;
struct SaverContext;

// The rhythm engine (core/sequencer.cpp): written by ConfigureSequencer, the ticks and the user's
// edits of the pattern; read by the renderer and ostinel-render's trace. `engine = EngineState()`
// is its state at load.
extern EngineState engine;

// The frame's millisecond time (core/sequencer.cpp): written once per frame by DrawScene before
// its two ticks, read by the ticks.
extern std::uint32_t frameTimeMs;

// The view (core/view.cpp): written by the view's set-up, the camera, the day and night switch and
// the drags; read by the sequencer (day or night, spin), by gl/ (camera and look) and by the hack's
// frame-rate overlay. `view = ViewState()` is its state at load.
extern ViewState view;

// The window's input state (core/input_rules.cpp): the input rules' own. `input = InputState()` is
// its state at load.
extern InputState input;

// The 30 voices the tracks play (core/sample_bank.cpp, in a module of their own: defining them
// constructs them): loaded by LoadSampleBank, played by the sequencer. Constructed at process start
// in index order, destroyed at exit in reverse order.
extern SampleVoice SampleBank[kSampleSlots];

// Set by each entry point through BeginRun (core/saver_run.h), which every run, test and benchmark
// starts with, and taken back by EndRun; defined in core/shared_state.cpp:
// - runMode: the run mode, read by the input rules and the Windows saver window; 0 when the
//   command line names none. It keeps its value after the run.
// - saverContext: the run's settings and window state, owned by the entry point, null outside a
//   run; read by the input rules, the view's set-up, the sequencer's configuration and the
//   settings dialog.
// - frameClock: the run's clock: the millisecond timer a frame reads into frameTimeMs and the
//   tick count of the password grace period.
extern std::int32_t runMode;
extern SaverContext* saverContext;
extern Clock* frameClock;

// The sound globals (audio/sample_voice.cpp, with the voices that use them). soundPlatform is what
// the run hands the voices (BeginRun): the device factory, the clock they wait on between device
// attempts, the program's resources; set before the first load. The device is shared by all
// voices and released with the last voice destroyed. soundDeviceUnavailable is set once a load's
// device attempts have ended without a device: later loads then fail at once instead of making a
// machine without sound wait 4.5 s for each of them.
extern SoundPlatform soundPlatform;
extern SoundDevice* soundDevice;
extern std::int32_t liveVoiceCount;
extern bool soundDeviceUnavailable;
