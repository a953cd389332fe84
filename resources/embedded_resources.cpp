// The program's resources from the table the build embedded.
#include "resources/embedded_resources.h"

#include "base/program_resources.h"

namespace {

class EmbeddedResources final : public ProgramResources {
 public:
  const unsigned char* FindWave(int resourceId, std::size_t* bytes) override {
    for (int i = 0; i < kEmbeddedWaveCount; ++i) {
      if (kEmbeddedWaves[i].resourceId == resourceId) {
        *bytes = static_cast<std::size_t>(kEmbeddedWaves[i].end - kEmbeddedWaves[i].begin);
        return kEmbeddedWaves[i].begin;
      }
    }
    return nullptr;
  }
};

}  // namespace

ProgramResources& PlatformResources() {
  static EmbeddedResources resources;
  return resources;
}
