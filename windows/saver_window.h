// The saver window of Preview and Saver mode, its GL context and its frame loop.
#pragma once

#include "base/handles.h"

// Runs the saver in a full-screen window, or in a child of `parentWindow` in Preview mode, until
// the window is destroyed.
void RunSaverWindow(WindowHandle parentWindow, int showCommand);
