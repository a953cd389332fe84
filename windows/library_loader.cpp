// Run-time loading of system libraries. A library is loaded by its full path in the system
// directory, so that a file of the same name planted beside the saver or in the current
// directory is never the one loaded.
#include <windows.h>

#include <cstring>

#include "base/library_loader.h"

namespace {

class Win32LibraryLoader final : public LibraryLoader {
 public:
  std::int32_t PlatformId() override {
    OSVERSIONINFOA info;
    std::memset(&info, 0, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
#ifdef _MSC_VER
#pragma warning(suppress : 4996)  // the platform identifier is all that is asked of it
#endif
    GetVersionExA(&info);
    return static_cast<std::int32_t>(info.dwPlatformId);
  }

  Library Load(const char* name) override {
    char path[MAX_PATH];
    const UINT directoryLength = GetSystemDirectoryA(path, MAX_PATH);
    const std::size_t nameLength = std::strlen(name);
    if (directoryLength == 0 || directoryLength + 1 + nameLength + 1 > MAX_PATH) {
      return nullptr;
    }
    path[directoryLength] = '\\';
    std::memcpy(path + directoryLength + 1, name, nameLength + 1);
    return LoadLibraryA(path);
  }

  Proc Find(Library library, const char* name) override {
    return reinterpret_cast<Proc>(GetProcAddress(static_cast<HMODULE>(library), name));
  }

  void Free(Library library) override { FreeLibrary(static_cast<HMODULE>(library)); }
};

}  // namespace

LibraryLoader& PlatformLibraryLoader() {
  static Win32LibraryLoader loader;
  return loader;
}
