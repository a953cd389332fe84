// The native build's embedded WAVE resources: every sample by its id, byte for byte the file.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/sample_bank.h"
#include "platform/program_resources.h"

TEST(EmbeddedResources, HoldEachSampleFileUnderItsId) {
  ProgramResources& resources = PlatformResources();
  for (int slot = 0; slot < kLoadedSlots; ++slot) {
    char name[64];
    std::snprintf(name, sizeof name, "/resources/samples/slot%02d.wav", slot);
    std::ifstream file(std::string(OSTINEL_SOURCE_DIR) + name, std::ios::binary);
    const std::vector<unsigned char> expected((std::istreambuf_iterator<char>(file)),
                                              std::istreambuf_iterator<char>());
    ASSERT_FALSE(expected.empty()) << name;
    std::size_t bytes = 0;
    const unsigned char* image = resources.FindWave(SampleResourceId(slot), &bytes);
    ASSERT_NE(image, nullptr) << "slot " << slot;
    EXPECT_EQ(std::vector<unsigned char>(image, image + bytes), expected) << "slot " << slot;
  }
  std::size_t bytes = 0;
  EXPECT_EQ(resources.FindWave(156, &bytes), nullptr);
}
