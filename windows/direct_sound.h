// The Windows sound system: DirectSound on the default device.
#pragma once

#include "base/sound_device.h"

SoundSystem& PlatformSoundSystem();
