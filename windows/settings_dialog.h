// The settings dialog of Configure mode.
#pragma once

#include "base/handles.h"

class SettingsStore;

// Shows the settings dialog modally, owned by `owner`; its OK stores the settings into `settings`.
void ShowSettingsDialog(SettingsStore& settings, WindowHandle owner);
