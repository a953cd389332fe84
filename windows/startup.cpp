// Start-up in its fixed order: seed, module, command line, context, one activity, clean-up.
#include "windows/startup.h"

#include "audio/sample_voice.h"
#include "base/clock.h"
#include "core/random.h"
#include "core/saver_context.h"
#include "core/shared_state.h"
#include "windows/command_line.h"
#include "windows/password.h"

ModuleHandle moduleInstance = nullptr;
WindowHandle parentWindow = 0;

int SaverMain(ModuleHandle instance, const char* commandLine, int showCommand,
              const StartupServices& services) {
  SeedRandom(services.clock.Milliseconds());
  moduleInstance = instance;
  soundPlatform = SoundPlatform{&services.sound, &services.clock, &services.resources};

  const ParsedCommandLine parsed = ParseCommandLine(commandLine, services.foregroundWindow);
  runMode = parsed.runMode;
  parentWindow = parsed.parentWindow;

  saverContext = new SaverContext();
  saverContext->LoadSystemSettings(services.settings);
  saverContext->LoadSettings(services.settings);

  switch (runMode) {
    case kChangePassword:
      ChangeSaverPassword(services.libraries, parentWindow);
      break;
    case kConfigure:
      if (services.showSettingsDialog) {
        services.showSettingsDialog(parentWindow);
      }
      break;
    case kPreview:
    case kSaver:
      if (services.runSaverWindow) {
        services.runSaverWindow(parentWindow, showCommand);
      }
      break;
    default:
      break;
  }

  delete saverContext;
  saverContext = nullptr;
  return 0;
}
