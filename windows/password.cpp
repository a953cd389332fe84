// The password check and change: load the library at the moment of use, unload it before return.
#include "windows/password.h"

namespace {

void* AsWindowArgument(WindowHandle window) { return reinterpret_cast<void*>(window); }

}  // namespace

std::int32_t VerifySaverPassword(LibraryLoader& loader, WindowHandle window) {
  if (loader.PlatformId() == kPlatformWin32Nt) {
    return 1;
  }
  LibraryLoader::Library library = loader.Load("PASSWORD.CPL");
  if (library == nullptr) {
    return 1;
  }
  LibraryLoader::Proc proc = loader.Find(library, "VerifyScreenSavePwd");
  if (proc == nullptr) {
    loader.Free(library);
    return 1;
  }
  const std::int32_t result =
      reinterpret_cast<VerifyScreenSavePwdProc>(proc)(AsWindowArgument(window));
  loader.Free(library);
  return result;
}

void ChangeSaverPassword(LibraryLoader& loader, WindowHandle parentWindow) {
  LibraryLoader::Library library = loader.Load("MPR.DLL");
  if (library == nullptr) {
    return;
  }
  LibraryLoader::Proc proc = loader.Find(library, "PwdChangePasswordA");
  if (proc != nullptr) {
    reinterpret_cast<PwdChangePasswordProc>(proc)("SCRSAVE", AsWindowArgument(parentWindow), 0, 0);
  }
  loader.Free(library);
}
