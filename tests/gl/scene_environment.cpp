// The scene tests' offscreen context and recorded sample bank.
#include "scene_environment.h"

#include <gtest/gtest.h>

#include <map>

#include "engine/sample_bank.h"
#include "fake_clock.h"
#include "fake_resources.h"
#include "wave_images.h"

namespace {

// Held for the whole process: the bank's static voices release into the device at exit.
struct Scene {
  OffscreenContext context{640, 480};
  SimulatedSoundSystem* sound = new SimulatedSoundSystem;
  FakeClock clock;
  FakeResources resources;
  std::map<std::string, int> trackOfBuffer;
  std::size_t seen = 0;

  Scene() {
    for (int slot = 0; slot < kLoadedSlots; ++slot) {
      resources.waves[SampleResourceId(slot)] = PcmWave({1, 0, 1, 0});
    }
    soundPlatform = SoundPlatform{sound, &clock, &resources};
    LoadSampleBank(1);
    // Each load makes a primary and then a voice buffer: b1 b2 for the first slot loaded, ...
    for (int load = 0; load < kLoadedSlots; ++load) {
      trackOfBuffer["b" + std::to_string(2 * load + 2)] = kSampleLoadOrder[load];
    }
    seen = sound->calls().size();
  }
};

Scene& TheScene() {
  static Scene* scene = new Scene;
  return *scene;
}

class SceneEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { ASSERT_TRUE(TheScene().context.ok()); }
};

const auto* const kRegistered = ::testing::AddGlobalTestEnvironment(new SceneEnvironment);

}  // namespace

OffscreenContext& SceneContext() { return TheScene().context; }
SimulatedSoundSystem& SceneSound() { return *TheScene().sound; }

std::vector<TrackPlay> NewPlays() {
  Scene& scene = TheScene();
  const std::vector<std::string>& calls = scene.sound->calls();
  std::vector<TrackPlay> plays;
  int volume = 0;
  int pan = 0;
  for (std::size_t i = scene.seen; i < calls.size(); ++i) {
    const std::string& call = calls[i];
    const std::size_t dot = call.find('.');
    const std::string name = call.substr(dot + 1);
    if (name.rfind("SetVolume ", 0) == 0) {
      volume = std::stoi(name.substr(10));
    } else if (name.rfind("SetPan ", 0) == 0) {
      pan = std::stoi(name.substr(7));
    } else if (name.rfind("Play ", 0) == 0) {
      plays.emplace_back(scene.trackOfBuffer.at(call.substr(0, dot)), volume, pan);
    }
  }
  scene.seen = calls.size();
  return plays;
}

std::vector<int> DrawsFrom(std::uint32_t seed, int count) {
  std::vector<int> draws;
  for (int i = 0; i < count; ++i) {
    seed = seed * 214013u + 2531011u;
    draws.push_back(static_cast<int>((seed >> 16) & 0x7fff));
  }
  return draws;
}
