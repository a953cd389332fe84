// Run-time loading of system libraries and the OS version query, as the password services need
// them. LoadLibrary and friends on Windows; a fake loader in the tests.
#pragma once

#include <cstdint>

// The calling convention of the system's exported functions (the callee removes its arguments).
#ifdef _WIN32
#define OSTINEL_WINAPI __stdcall
#else
#define OSTINEL_WINAPI
#endif

// The platform identifier GetVersionExA reports for the NT family.
inline constexpr std::int32_t kPlatformWin32Nt = 2;

class LibraryLoader {
 public:
  using Library = void*;
  using Proc = void (*)();

  virtual ~LibraryLoader() = default;

  // The platform identifier of the running system (GetVersionExA's dwPlatformId).
  virtual std::int32_t PlatformId() = 0;
  // Loads a library of the system by its file name; null when it cannot be loaded.
  virtual Library Load(const char* name) = 0;
  // An exported function of a loaded library; null when it is missing.
  virtual Proc Find(Library library, const char* name) = 0;
  virtual void Free(Library library) = 0;
};

// The loader of the platform the saver runs on.
LibraryLoader& PlatformLibraryLoader();
