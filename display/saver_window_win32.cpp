// The saver window on Windows. Not built yet: Preview and Saver mode return at once.
#include "display/saver_window.h"

void RunSaverWindow(WindowHandle /*parentWindow*/, int /*showCommand*/) {}
