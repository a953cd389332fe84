// The settings dialog of Configure mode.
#pragma once

#include "base/handles.h"

// Shows the settings dialog modally, owned by `owner`; its OK stores the settings.
void ShowSettingsDialog(WindowHandle owner);
