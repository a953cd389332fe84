// The sample bank's static voices: the load order, the resource of each slot, a missing resource.
// A binary of its own, since the bank's 30 voices live for the whole process.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/sample_bank.h"
#include "fake_clock.h"
#include "fake_resources.h"
#include "simulated_sound.h"
#include "wave_images.h"

namespace {

// Four sample bytes that name the resource they came from.
std::vector<unsigned char> Marked(int resourceId) {
  return {static_cast<unsigned char>(resourceId), 0, static_cast<unsigned char>(resourceId), 0};
}

}  // namespace

TEST(SampleBank, VoicesExistBeforeAnyLoad) { EXPECT_EQ(liveVoiceCount, kSampleSlots); }

TEST(SampleBank, LoadsEachSlotFromItsResourceInOrderAndPlaysByTrack) {
  // Held for the rest of the process: the bank's voices release into them at exit.
  static auto* sound = new SimulatedSoundSystem;
  static auto* clock = new FakeClock;
  static auto* resources = new FakeResources;
  for (int id = 130; id < 170; ++id) {
    resources->waves[id] = PcmWave(Marked(id));
  }
  resources->waves.erase(140);  // slot 7's resource is missing
  soundPlatform = SoundPlatform{sound, clock, resources};

  LoadSampleBank(77);

  EXPECT_EQ(resources->asked,
            (std::vector<int>{133, 134, 135, 136, 137, 138, 139, 140, 141, 142, 143, 144, 145, 146,
                              148, 149, 150, 151, 147, 152, 153, 154, 155, 157, 158}));
  EXPECT_EQ(sound->calls().at(1), "SetCooperativeLevel 77 1");

  for (int slot = 0; slot < kSampleSlots; ++slot) {
    const std::size_t before = sound->calls().size();
    SampleBank[slot].Play(-100, 0, 0, false);
    const std::vector<std::string> calls(sound->calls().begin() + static_cast<std::ptrdiff_t>(before),
                                         sound->calls().end());
    if (slot >= kLoadedSlots || slot == 7) {
      EXPECT_TRUE(calls.empty()) << "slot " << slot;
      continue;
    }
    ASSERT_EQ(calls.size(), 4u) << "slot " << slot;
    const std::string buffer = calls[0].substr(0, calls[0].find('.'));
    const int expected = slot <= 22 ? 133 + slot : (slot == 23 ? 157 : 158);
    EXPECT_EQ(sound->Contents(buffer), Marked(expected)) << "slot " << slot;
  }
}
