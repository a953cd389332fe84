// Start-up: the process-wide values the command line sets, and the one activity per run.
#pragma once

#include <cstdint>
#include <functional>

#include "base/handles.h"

class Clock;
class LibraryLoader;
class ProgramResources;
class SettingsStore;
class SoundSystem;

// The Windows run's own process-wide values, set once by start-up and only read afterwards (the
// run mode and the context are the core's: core/shared_state.h).
extern ModuleHandle moduleInstance;
extern WindowHandle parentWindow;

// What start-up needs of the platform: its services and the activities of the run modes, which
// are handed the services they use (the clock reaches the frames as the run's frameClock).
struct StartupServices {
  Clock& clock;
  SettingsStore& settings;
  LibraryLoader& libraries;
  SoundSystem& sound;
  ProgramResources& resources;
  std::function<WindowHandle()> foregroundWindow;
  std::function<void(SettingsStore& settings, WindowHandle owner)> showSettingsDialog;
  std::function<void(LibraryLoader& libraries, WindowHandle parent, int showCommand)>
      runSaverWindow;
};

// Reads the millisecond timer for the seed, parses the command line, begins the run (the generator
// seeded, the run mode, the context, the services for the voices and the frames), loads the
// settings into the context, runs the mode's activity and ends the run. Returns the exit code,
// always 0.
int SaverMain(ModuleHandle instance, const char* commandLine, int showCommand,
              const StartupServices& services);
