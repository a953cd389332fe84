// Start-up in its fixed order: seed, module, command line, context, one activity, clean-up.
#include "windows/startup.h"

#include "base/clock.h"
#include "core/saver_context.h"
#include "core/saver_run.h"
#include "core/shared_state.h"
#include "windows/command_line.h"
#include "windows/password.h"

ModuleHandle moduleInstance = nullptr;
WindowHandle parentWindow = 0;

int SaverMain(ModuleHandle instance, const char* commandLine, int showCommand,
              const StartupServices& services) {
  const std::uint32_t seed = services.clock.Milliseconds();
  moduleInstance = instance;
  const ParsedCommandLine parsed = ParseCommandLine(commandLine, services.foregroundWindow);
  parentWindow = parsed.parentWindow;

  SaverContext context;
  BeginRun(parsed.runMode, context,
           RunPlatform{services.clock, &services.sound, services.resources}, seed);
  context.LoadSystemSettings(services.settings);
  context.LoadSettings(services.settings);

  switch (runMode) {
    case kChangePassword:
      ChangeSaverPassword(services.libraries, parentWindow);
      break;
    case kConfigure:
      if (services.showSettingsDialog) {
        services.showSettingsDialog(services.settings, parentWindow);
      }
      break;
    case kPreview:
    case kSaver:
      if (services.runSaverWindow) {
        services.runSaverWindow(services.libraries, parentWindow, showCommand);
      }
      break;
    default:
      break;
  }

  EndRun();
  return 0;
}
