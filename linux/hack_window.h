// The hack's window on X: the window it draws on (XScreenSaver's, a given one, or its own), a GLX
// context, the run's set-up and the frame loop, with the saver's frames on a clock of their own.
#pragma once

#include <X11/Xlib.h>

#include <csignal>
#include <functional>

class SoftwareMixer;
struct HackOptions;
struct Saver;

// Runs `saver` until `stop` is set (a signal), the window goes away, or, in its own window, the
// user ends it: a frame every --delay however long the drawing takes, each frame's plays handed
// to `sound` (null: silent) as it runs, and on screen the frame whose sound is being heard.
// `soundReady` runs once the run is set up. Returns the exit status: 0, or 1 when there is no
// window to draw on or no OpenGL for it (said on stderr).
int RunHackWindow(Display* display, const HackOptions& options,
                  const volatile std::sig_atomic_t& stop, Saver& saver, SoftwareMixer* sound,
                  const std::function<void()>& soundReady);
