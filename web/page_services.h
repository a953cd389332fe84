// What the page keeps in the browser: the settings chosen in its panel and its volume, in
// localStorage.
#pragma once

#include "web/core.h"
#include "web/page_options.h"

// The settings the panel stored, each over its default; what earlier versions of the page stored
// is read the same way.
Settings LoadPageSettings();

// Stores every setting; false when the browser's storage cannot be used (disabled, full).
bool SavePageSettings(const Settings& settings);

// The volume the panel stored; the full level, not muted, where nothing usable is stored.
PageVolume LoadPageVolume();
bool SavePageVolume(const PageVolume& volume);
