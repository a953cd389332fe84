// The Windows entry point: hands the platform's services and activities to start-up.
#include <windows.h>

#include "base/clock.h"
#include "base/library_loader.h"
#include "base/program_resources.h"
#include "base/settings_store.h"
#include "core/saver.h"
#include "windows/direct_sound.h"
#include "windows/saver_window.h"
#include "windows/settings_dialog.h"
#include "windows/startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  const StartupServices services{
      PlatformClock(),         PlatformSettingsStore(),
      PlatformLibraryLoader(), PlatformSoundSystem(),
      PlatformResources(),     [] { return reinterpret_cast<WindowHandle>(GetForegroundWindow()); },
      ShowSettingsDialog,      RunSaverWindow,
  };
  return SaverMain(instance, GetCommandLineA(), showCommand, services);
}
