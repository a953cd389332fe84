// What the page keeps in the browser: the settings chosen in its panel, in localStorage.
#pragma once

#include "web/core.h"

// The settings the panel stored, each over its default; what earlier versions of the page stored
// is read the same way.
Settings LoadPageSettings();

// Stores every setting; false when the browser's storage cannot be used (disabled, full).
bool SavePageSettings(const Settings& settings);
