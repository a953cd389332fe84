// Start-up in its fixed order: seed, module, command line, context, one activity, clean-up.
#include "windows/startup.h"

#include "base/clock.h"
#include "core/saver.h"
#include "windows/command_line.h"
#include "windows/password.h"

int SaverMain(ModuleHandle instance, const char* commandLine, int showCommand,
              const StartupServices& services) {
  const std::uint32_t seed = services.clock.Milliseconds();
  const ParsedCommandLine parsed = ParseCommandLine(commandLine, services.foregroundWindow);
  const WindowHandle parentWindow = parsed.parentWindow;

  Saver saver(parsed.runMode, RunPlatform{services.clock, &services.sound, services.resources},
              seed);
  saver.saverContext.LoadSystemSettings(services.settings);
  saver.saverContext.LoadSettings(services.settings);

  switch (saver.runMode) {
    case kChangePassword:
      ChangeSaverPassword(services.libraries, parentWindow);
      break;
    case kConfigure:
      if (services.showSettingsDialog) {
        services.showSettingsDialog(instance, saver.saverContext, services.settings, parentWindow);
      }
      break;
    case kPreview:
    case kSaver:
      if (services.runSaverWindow) {
        services.runSaverWindow(instance, saver, services.libraries, parentWindow, showCommand);
      }
      break;
    default:
      break;
  }
  return 0;
}
