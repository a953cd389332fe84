// The sample voice against the simulated device: the device attempts, the load and play steps,
// buffer loss, and the release order; and the RIFF WAVE walk it loads through.
#include <gtest/gtest.h>

#include <memory>

#include "audio/sample_voice.h"
#include "audio/wave.h"
#include "core/sample_bank.h"
#include "fakes.h"
#include "simulated_sound.h"

namespace {

const std::vector<unsigned char> kSamples = {1, 2, 3, 4, 5, 6, 7, 8};

class SampleVoiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    device.system = &sound;
    device.clock = &clock;
    device.resources = &resources;
    resources.waves[133] = PcmWave(kSamples);
  }

  SimulatedSoundSystem sound;
  FakeClock clock;
  FakeResources resources;
  VoiceDevice device;
};

}  // namespace

TEST_F(SampleVoiceTest, LoadsIntoAStaticBufferAndPlaysWithFourCalls) {
  SampleVoice voice(device);
  ASSERT_TRUE(voice.LoadFromResource(0x10000 + 133, 7));  // only the low 16 bits name it
  EXPECT_EQ(sound.NewCalls(),
            (Calls{"DirectSoundCreate", "SetCooperativeLevel 7 1", "CreateSoundBuffer 0x1 0",
                   "b1.SetFormat 2 44100 16", "CreateSoundBuffer 0xe2 8 with format",
                   "b2.Lock 0 0 2", "b2.Unlock 8"}));
  EXPECT_EQ(sound.state->memory[1], kSamples);
  voice.Play(-1000, 2500, 4, false);
  voice.Play(0, -10000, 9, true);  // past the end: the sample's size
  EXPECT_EQ(sound.NewCalls(), (Calls{"b2.SetCurrentPosition 4", "b2.SetVolume -1000",
                                     "b2.SetPan 2500", "b2.Play 0 0 0", "b2.SetCurrentPosition 8",
                                     "b2.SetVolume 0", "b2.SetPan -10000", "b2.Play 0 0 1"}));
  SampleVoice second(device);
  ASSERT_TRUE(second.LoadFromResource(133, 8));
  EXPECT_EQ(sound.NewCalls().at(0), "CreateSoundBuffer 0x1 0") << "one device, one level";
}

TEST_F(SampleVoiceTest, DeviceAttemptsRetryOnlyWhileBusyOrWithoutDriver) {
  const std::int32_t busy = kDsErrAllocated, none = kDsErrNoDriver, other = kDsErrGeneric;
  struct Case {
    std::vector<std::int32_t> results;
    std::size_t attempts;
    bool loads;
  };
  const Case cases[] = {
      {{}, 1, true},
      {std::vector<std::int32_t>(9, busy), 10, true},
      {std::vector<std::int32_t>(10, busy), 10, false},
      {{none, none}, 3, true},
      {{other}, 1, false},
      {{busy, other}, 2, false},
  };
  for (const Case& c : cases) {
    SimulatedSoundSystem system;
    FakeClock waits;
    VoiceDevice device{&system, &waits, &resources};
    system.state->createResults.assign(c.results.begin(), c.results.end());
    {
      SampleVoice voice(device);
      EXPECT_EQ(voice.LoadFromResource(133, 7), c.loads) << c.results.size();
      EXPECT_EQ(std::count(system.calls().begin(), system.calls().end(), "DirectSoundCreate"),
                static_cast<long>(c.attempts));
      EXPECT_EQ(waits.sleeps, std::vector<std::uint32_t>(c.attempts - 1, 500));
      if (!c.loads) {
        SampleVoice later(device);  // a machine without sound does not wait again for every voice
        EXPECT_FALSE(later.LoadFromResource(133, 7));
        EXPECT_EQ(waits.sleeps.size(), c.attempts - 1);
      }
    }
    EXPECT_EQ(system.state->deviceReferences, 0);
  }
}

TEST_F(SampleVoiceTest, AVoiceWhoseLoadFailedNeverCallsTheDevice) {
  struct Case {
    const char* what;
    std::vector<unsigned char> image;
    std::int32_t primary, secondary;
  };
  const Case cases[] = {
      {"primary refused", PcmWave(kSamples), kDsErrGeneric, kDsOk},
      {"not a wave", {'J', 'U', 'N', 'K', 0, 0, 0, 0, 0, 0, 0, 0}, kDsOk, kDsOk},
      {"secondary refused", PcmWave(kSamples), kDsOk, kDsErrBadFormat},
      {"no samples", PcmWave({}), kDsOk, kDsOk},
      {"no resource", {}, kDsOk, kDsOk},
  };
  for (const Case& c : cases) {
    resources.waves[140] = c.image;
    if (c.image.empty()) {
      resources.waves.erase(140);
    }
    sound.state->primaryResult = c.primary;
    sound.state->secondaryResult = c.secondary;
    SampleVoice voice(device);
    voice.LoadFromResource(140, 7);
    sound.NewCalls();
    voice.Play(0, 0, 0, false);
    EXPECT_EQ(sound.NewCalls(), Calls{}) << c.what;
  }
}

TEST_F(SampleVoiceTest, BufferLossIsRepairedOnceOnLoadAndOnPlay) {
  SampleVoice voice(device);
  sound.state->lockLosses = 1;
  ASSERT_TRUE(voice.LoadFromResource(133, 7));
  const Calls load = sound.NewCalls();
  EXPECT_EQ(Calls(load.end() - 4, load.end()),
            (Calls{"b2.Lock 0 0 2", "b2.Restore", "b2.Lock 0 0 2", "b2.Unlock 8"}));
  sound.state->playLosses = 1;
  voice.Play(-300, 0, 0, false);
  EXPECT_EQ(sound.NewCalls(),
            (Calls{"b2.SetCurrentPosition 0", "b2.SetVolume -300", "b2.SetPan 0", "b2.Play 0 0 0",
                   "b2.Lock 0 0 2", "b2.Unlock 8", "b2.Play 0 0 0"}));
  SampleVoice lost(device);
  sound.state->lockLosses = 2;
  EXPECT_FALSE(lost.LoadFromResource(133, 7)) << "lost twice: the load fails";
}

TEST_F(SampleVoiceTest, TheLastVoiceReleasesTheDeviceInsteadOfItsPrimary) {
  auto first = std::make_unique<SampleVoice>(device);
  auto second = std::make_unique<SampleVoice>(device);
  ASSERT_TRUE(first->LoadFromResource(133, 7));   // b1 primary, b2 voice
  ASSERT_TRUE(second->LoadFromResource(133, 7));  // b3 primary, b4 voice
  sound.NewCalls();
  second.reset();
  EXPECT_EQ(sound.NewCalls(), (Calls{"b4.Release", "b3.Release"}));
  first.reset();
  EXPECT_EQ(sound.NewCalls(), (Calls{"b2.Release", "Device.Release"}));
  EXPECT_EQ(device.soundDevice, nullptr);
  EXPECT_EQ(device.liveVoiceCount, 0);
  { VoiceBank unloaded; }
  EXPECT_EQ(sound.NewCalls(), Calls{}) << "voices that never made a device release nothing";
}

TEST(ParseWave, FindsFormatAndSamplesWithinBounds) {
  const std::vector<unsigned char> four = {1, 2, 3, 4}, eight = {1, 2, 3, 4, 5, 6, 7, 8};
  std::vector<unsigned char> mono = PcmFormat();
  mono[2] = 1;
  std::vector<unsigned char> notWave = PcmWave(four);
  notWave[8] = 'X';
  struct Case {
    const char* what;
    std::vector<unsigned char> image;
    long dataOffset;  // where the samples start; -1: the parse fails
    std::uint32_t bytes;
  };
  const Case cases[] = {
      {"fmt then data", PcmWave(four), 44, 4},
      {"odd chunk padded", RiffImage({{"odd ", {1, 2, 3}}, {"fmt ", PcmFormat()}, {"data", four}}),
       56, 4},
      {"data before fmt", RiffImage({{"data", four}, {"fmt ", PcmFormat()}}), 20, 4},
      {"empty data before fmt waits for the next",
       RiffImage({{"data", {}}, {"fmt ", PcmFormat()}, {"data", eight}}), 52, 8},
      {"empty data after fmt", RiffImage({{"fmt ", PcmFormat()}, {"data", {}}}), 44, 0},
      {"fmt of 14 bytes", RiffImage({{"fmt ", PcmFormat(14)}, {"data", four}}), 42, 4},
      {"a later fmt is skipped", RiffImage({{"fmt ", PcmFormat()}, {"fmt ", mono}, {"data", four}}),
       68, 4},
      {"a first fmt of 13 bytes fails",
       RiffImage({{"fmt ", PcmFormat(13)}, {"fmt ", PcmFormat()}, {"data", four}}), -1, 0},
      {"riff size 4", RiffImage({{"fmt ", PcmFormat()}, {"data", four}}, 4), -1, 0},
      {"no data", RiffImage({{"fmt ", PcmFormat()}}), -1, 0},
      {"not WAVE", notWave, -1, 0},
      {"riff size past the image", RiffImage({{"fmt ", PcmFormat()}, {"LIST", four}}, 0x7fffffff),
       -1, 0},
      {"data size past the image", RiffImage({{"fmt ", PcmFormat()}, {"data", four, 0x10000}}), -1,
       0},
      {"data past the riff chunk",
       RiffImage({{"fmt ", PcmFormat()}, {"data", four}, {"pad ", eight}}, 38), -1, 0},
      {"a size that wraps the position",
       RiffImage({{"junk", four, 0xffffffff}, {"fmt ", PcmFormat()}, {"data", four}}, 0xffffffff),
       -1, 0},
  };
  for (const Case& c : cases) {
    // An exact-size heap copy: AddressSanitizer catches any read past the image.
    const auto image = std::make_unique<unsigned char[]>(c.image.size());
    std::copy(c.image.begin(), c.image.end(), image.get());
    ParsedWave wave;
    ASSERT_EQ(ParseWave(image.get(), c.image.size(), &wave), c.dataOffset >= 0) << c.what;
    if (c.dataOffset >= 0) {
      EXPECT_EQ(wave.sampleData, image.get() + c.dataOffset) << c.what;
      EXPECT_EQ(wave.sampleBytes, c.bytes) << c.what;
      EXPECT_EQ(wave.format.channels, 2) << c.what;
      EXPECT_EQ(wave.format.blockAlign, 4) << c.what;
    }
  }
}
