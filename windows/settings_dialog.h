// The settings dialog of Configure mode.
#pragma once

#include "base/handles.h"

class SettingsStore;
struct SaverContext;

// Shows the settings dialog of module `instance` modally, owned by `owner`, with the settings of
// `context`; its OK takes the choices into `context` and stores them into `settings`.
void ShowSettingsDialog(ModuleHandle instance, SaverContext& context, SettingsStore& settings,
                        WindowHandle owner);
