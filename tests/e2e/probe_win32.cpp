// A console program for the Wine tests that runs the saver's own settings and library-loading code
// against the real registry and loader:
//   probe load                          print the settings the saver would load
//   probe save ROTATE P0 P1 P2 P3       load, change these five, save as the settings dialog's OK does
//   probe library NAME                  load a system library through the saver's loader
//   probe bare-library NAME             load it by bare name (where Windows would search for it)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/saver_context.h"
#include "platform/library_loader.h"
#include "platform/settings_store.h"

namespace {

void PrintSettings(const SaverContext& context) {
  std::printf("passwordDelay=%d mouseThreshold=%d useMouse=%d params=", context.passwordDelay,
              context.mouseThreshold, context.useMouse);
  for (int i = 0; i < kParamCount; ++i) {
    std::printf(i == 0 ? "%d" : ",%d", context.params[i]);
  }
  std::printf("\n");
}

int Usage() {
  std::fprintf(stderr, "usage: probe load | save ROTATE P0 P1 P2 P3 | library NAME | "
                       "bare-library NAME\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    return Usage();
  }
  const char* command = argv[1];
  if (std::strcmp(command, "load") == 0 || std::strcmp(command, "save") == 0) {
    SaverContext context;
    context.LoadSystemSettings(PlatformSettingsStore());
    context.LoadSettings(PlatformSettingsStore());
    if (std::strcmp(command, "save") == 0) {
      if (argc != 7) {
        return Usage();
      }
      context.useMouse = std::atoi(argv[2]);
      for (int i = 0; i < 4; ++i) {
        context.params[i] = std::atoi(argv[3 + i]);
      }
      context.SaveSettings(PlatformSettingsStore());
    }
    PrintSettings(context);
    return 0;
  }
  if (argc == 3 && std::strcmp(command, "library") == 0) {
    LibraryLoader& loader = PlatformLibraryLoader();
    LibraryLoader::Library library = loader.Load(argv[2]);
    std::printf("%s\n", library != nullptr ? "loaded" : "missing");
    if (library != nullptr) {
      loader.Free(library);
    }
    return 0;
  }
  if (argc == 3 && std::strcmp(command, "bare-library") == 0) {
    HMODULE library = LoadLibraryA(argv[2]);
    std::printf("%s\n", library != nullptr ? "loaded" : "missing");
    if (library != nullptr) {
      FreeLibrary(library);
    }
    return 0;
  }
  return Usage();
}
