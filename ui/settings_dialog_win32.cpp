// The settings dialog on Windows. Not built yet: Configure mode returns at once.
#include "ui/settings_dialog.h"

void ShowSettingsDialog(WindowHandle /*owner*/) {}
