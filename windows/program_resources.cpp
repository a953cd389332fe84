// The program's WAVE resources from its own executable module.
#include <windows.h>

#include "base/program_resources.h"

namespace {

class ModuleResources final : public ProgramResources {
 public:
  const unsigned char* FindWave(int resourceId, std::size_t* bytes) override {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(resourceId & 0xffff), "WAVE");
    if (found == nullptr) {
      return nullptr;
    }
    HGLOBAL loaded = LoadResource(module, found);
    if (loaded == nullptr) {
      return nullptr;
    }
    const void* image = LockResource(loaded);
    if (image == nullptr) {
      return nullptr;
    }
    *bytes = SizeofResource(module, found);
    return static_cast<const unsigned char*>(image);
  }
};

}  // namespace

ProgramResources& PlatformResources() {
  static ModuleResources resources;
  return resources;
}
