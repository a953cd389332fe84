// The core's headers that the page uses, named in this one place: when the core's folders move,
// only these lines follow them.
#pragma once

#include "app/command_line.h"
#include "app/option_value.h"
#include "app/saver_context.h"
#include "app/settings_table.h"
#include "app/startup.h"
#include "audio/sample_voice.h"
#include "audio/software_mixer.h"
#include "audio/stream_clock.h"
#include "display/gl.h"
#include "display/input_rules.h"
#include "display/renderer.h"
#include "display/saver_run.h"
#include "display/view.h"
#include "engine/random.h"
#include "platform/clock.h"
#include "platform/program_resources.h"
#include "platform/settings_store.h"
#include "platform/sound_device.h"
