// The core's headers that the page uses, named in this one place: when the core's folders move,
// only these lines follow them.
#pragma once

#include "audio/sample_voice.h"
#include "audio/software_mixer.h"
#include "audio/stream_clock.h"
#include "base/clock.h"
#include "base/little_endian.h"
#include "base/options.h"
#include "base/program_resources.h"
#include "base/settings_store.h"
#include "base/sound_device.h"
#include "core/input_rules.h"
#include "core/run_mode.h"
#include "core/saver_context.h"
#include "core/saver_run.h"
#include "core/settings_table.h"
#include "core/shared_state.h"
#include "core/view.h"
#include "gl/gl.h"
#include "gl/renderer.h"
#include "gl/scene.h"
