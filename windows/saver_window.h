// The saver window of Preview and Saver mode, its GL context and its frame loop.
#pragma once

#include "base/handles.h"

class LibraryLoader;
struct Saver;

// Runs `saver` in a full-screen window, or in a child of `parentWindow` in Preview mode, until the
// window is destroyed; the window class and the window belong to module `instance`. The password
// check loads its library through `libraries`; the grace period and the frames read the saver's
// clock.
void RunSaverWindow(ModuleHandle instance, Saver& saver, LibraryLoader& libraries,
                    WindowHandle parentWindow, int showCommand);
