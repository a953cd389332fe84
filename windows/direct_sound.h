// The Windows sound system: DirectSound on the default device.
#pragma once

#include "platform/sound_device.h"

SoundSystem& PlatformSoundSystem();
