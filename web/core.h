// The core's headers that the page uses, named in this one place: when the core's folders move,
// only these lines follow them.
#pragma once

#include "audio/play_latency.h"
#include "audio/sample_play.h"
#include "audio/software_mixer.h"
#include "audio/stream_clock.h"
#include "audio/wave.h"
#include "base/clock.h"
#include "base/little_endian.h"
#include "base/options.h"
#include "base/program_resources.h"
#include "core/frame_schedule.h"
#include "core/heard_frames.h"
#include "core/saver.h"
#include "core/settings_table.h"
#include "gl/gl.h"
#include "gl/renderer.h"
#include "gl/scene.h"
