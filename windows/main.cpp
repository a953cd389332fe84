// The Windows entry point: hands the platform's services and activities to start-up.
#include <windows.h>

#include "app/startup.h"
#include "audio/direct_sound_win32.h"
#include "display/saver_window.h"
#include "platform/clock.h"
#include "platform/library_loader.h"
#include "platform/program_resources.h"
#include "platform/settings_store.h"
#include "ui/settings_dialog.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  const StartupServices services{
      PlatformClock(),
      PlatformSettingsStore(),
      PlatformLibraryLoader(),
      PlatformSoundSystem(),
      PlatformResources(),
      [] { return reinterpret_cast<WindowHandle>(GetForegroundWindow()); },
      ShowSettingsDialog,
      RunSaverWindow,
  };
  return SaverMain(instance, GetCommandLineA(), showCommand, services);
}
