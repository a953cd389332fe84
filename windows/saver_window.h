// The saver window of Preview and Saver mode, its GL context and its frame loop.
#pragma once

#include "base/handles.h"

class LibraryLoader;

// Runs the saver in a full-screen window, or in a child of `parentWindow` in Preview mode, until
// the window is destroyed. The password check loads its library through `libraries`; the grace
// period and the frames read the run's clock (frameClock).
void RunSaverWindow(LibraryLoader& libraries, WindowHandle parentWindow, int showCommand);
