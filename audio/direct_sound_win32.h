// The Windows sound system: DirectSound on the default device.
#pragma once

#include "audio/sound_device.h"

SoundSystem& PlatformSoundSystem();
