// Start-up: the command line, the run's saver value, and the one activity per run.
#pragma once

#include <cstdint>
#include <functional>

#include "base/handles.h"

class Clock;
class LibraryLoader;
class ProgramResources;
class SettingsStore;
class SoundSystem;
struct SaverContext;
struct Saver;

// What start-up needs of the platform: its services and the activities of the run modes, which
// are handed what they use: the module instance the program was started with, the saver (its
// settings for the dialog), the services and the window handle the command line named.
struct StartupServices {
  Clock& clock;
  SettingsStore& settings;
  LibraryLoader& libraries;
  SoundSystem& sound;
  ProgramResources& resources;
  std::function<WindowHandle()> foregroundWindow;
  std::function<void(ModuleHandle instance, SaverContext& context, SettingsStore& settings,
                     WindowHandle owner)>
      showSettingsDialog;
  std::function<void(ModuleHandle instance, Saver& saver, LibraryLoader& libraries,
                     WindowHandle parent, int showCommand)>
      runSaverWindow;
};

// Reads the millisecond timer for the seed, parses the command line, makes the run's saver (the
// generator seeded, the run mode, the services for the voices and the frames), loads the settings
// into its context, runs the mode's activity and ends the run. Returns the exit code, always 0.
int SaverMain(ModuleHandle instance, const char* commandLine, int showCommand,
              const StartupServices& services);
