// The sample voice against the simulated device: the device attempts, the load and play steps,
// buffer loss, and the release order.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "audio/sample_voice.h"
#include "fake_clock.h"
#include "fake_resources.h"
#include "simulated_sound.h"
#include "wave_images.h"

namespace {

using Calls = std::vector<std::string>;

const std::vector<unsigned char> kSamples = {1, 2, 3, 4, 5, 6, 7, 8};

class SampleVoiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(liveVoiceCount, 0);
    soundDevice = nullptr;
    soundDeviceUnavailable = false;
    soundPlatform = SoundPlatform{&sound, &clock, &resources};
    resources.waves[133] = PcmWave(kSamples);
  }
  void TearDown() override { soundPlatform = SoundPlatform{}; }

  // The calls made since the last look.
  Calls NewCalls() {
    Calls recent(sound.calls().begin() + static_cast<std::ptrdiff_t>(seen_), sound.calls().end());
    seen_ = sound.calls().size();
    return recent;
  }

  SimulatedSoundSystem sound;
  FakeClock clock;
  FakeResources resources;

 private:
  std::size_t seen_ = 0;
};

const Calls kLoadCalls = {
    "DirectSoundCreate",
    "SetCooperativeLevel 7 1",
    "CreateSoundBuffer 0x1 0",
    "b1.SetFormat 2ch 44100 16bit",
    "CreateSoundBuffer 0xe2 8 fmt 2ch 44100",
    "b2.Lock 0 0 2",
    "b2.Unlock 8",
};

}  // namespace

TEST_F(SampleVoiceTest, LoadsIntoAStaticBufferAndPlaysWithFourCalls) {
  SampleVoice voice;
  ASSERT_TRUE(voice.LoadFromResource(0x10000 + 133, 7));  // only the low 16 bits name it
  EXPECT_EQ(NewCalls(), kLoadCalls);
  EXPECT_EQ(sound.Contents("b2"), kSamples);
  EXPECT_EQ(voice.sampleBytes, 8u);

  voice.Play(-1000, 2500, 4, false);
  voice.Play(0, -10000, 9, true);  // past the end: clamped to the sample's size
  EXPECT_EQ(NewCalls(), (Calls{"b2.SetCurrentPosition 4", "b2.SetVolume -1000", "b2.SetPan 2500",
                               "b2.Play 0 0 0", "b2.SetCurrentPosition 8", "b2.SetVolume 0",
                               "b2.SetPan -10000", "b2.Play 0 0 1"}));
}

TEST_F(SampleVoiceTest, DeviceAttemptsRetryOnlyWhileBusyOrWithoutDriver) {
  const std::int32_t busy = kDsErrAllocated;
  const std::int32_t noDriver = kDsErrNoDriver;
  const std::int32_t other = kDsErrGeneric;
  struct Case {
    const char* what;
    std::vector<std::int32_t> results;
    std::size_t attempts;
    bool loads;
  };
  const Case cases[] = {
      {"first attempt", {}, 1, true},
      {"busy nine times", {busy, busy, busy, busy, busy, busy, busy, busy, busy}, 10, true},
      {"busy ten times",
       {busy, busy, busy, busy, busy, busy, busy, busy, busy, busy, kDsOk},
       10,
       false},
      {"no driver, then a device", {noDriver, noDriver, kDsOk}, 3, true},
      {"another failure ends at once", {other, kDsOk}, 1, false},
      {"busy, then another failure", {busy, other, kDsOk}, 2, false},
  };
  for (const Case& c : cases) {
    soundDevice = nullptr;
    soundDeviceUnavailable = false;
    SimulatedSoundSystem system;
    FakeClock waits;
    soundPlatform.system = &system;
    soundPlatform.clock = &waits;
    system.createResults().assign(c.results.begin(), c.results.end());
    {
      SampleVoice voice;
      EXPECT_EQ(voice.LoadFromResource(133, 7), c.loads) << c.what;
      std::size_t attempts = 0;
      for (const std::string& call : system.calls()) {
        attempts += call == "DirectSoundCreate";
      }
      EXPECT_EQ(attempts, c.attempts) << c.what;
      EXPECT_EQ(waits.sleeps, std::vector<std::uint32_t>(c.attempts - 1, 500)) << c.what;
    }
    EXPECT_EQ(system.DeviceReferences(), 0) << c.what;
  }
}

TEST_F(SampleVoiceTest, WithoutADeviceLaterLoadsFailAtOnce) {
  sound.createResults().assign(10, kDsErrNoDriver);
  SampleVoice first;
  SampleVoice second;
  EXPECT_FALSE(first.LoadFromResource(133, 7));
  EXPECT_EQ(clock.sleeps.size(), 9u);
  NewCalls();
  EXPECT_FALSE(second.LoadFromResource(133, 7));
  EXPECT_EQ(NewCalls(), Calls{});
  EXPECT_EQ(clock.sleeps.size(), 9u);
  second.Play(0, 0, 0, false);
  EXPECT_EQ(NewCalls(), Calls{});
}

TEST_F(SampleVoiceTest, TheCreatingLoadsWindowIsTheCooperativeWindowOnce) {
  SampleVoice first;
  SampleVoice second;
  ASSERT_TRUE(first.LoadFromResource(133, 7));
  ASSERT_TRUE(second.LoadFromResource(133, 8));
  int levels = 0;
  for (const std::string& call : sound.calls()) {
    levels += call.rfind("SetCooperativeLevel", 0) == 0;
    EXPECT_NE(call, "SetCooperativeLevel 8 1");
  }
  EXPECT_EQ(levels, 1);
}

TEST_F(SampleVoiceTest, FailedStepsLeaveAVoiceThatNeverCallsTheDevice) {
  struct Case {
    const char* what;
    std::vector<unsigned char> image;
    std::int32_t primary;
    std::int32_t secondary;
    int lockLosses;
    bool dataKept;
  };
  const Case cases[] = {
      {"primary refused", PcmWave(kSamples), kDsErrGeneric, kDsOk, 0, false},
      {"not a wave", {'J', 'U', 'N', 'K', 0, 0, 0, 0, 0, 0, 0, 0}, kDsOk, kDsOk, 0, false},
      {"secondary refused", PcmWave(kSamples), kDsOk, kDsErrBadFormat, 0, true},
      {"no samples", PcmWave({}), kDsOk, kDsErrInvalidParam, 0, true},
  };
  for (const Case& c : cases) {
    resources.waves[140] = c.image;
    sound.FailPrimary(c.primary);
    sound.FailSecondary(c.secondary);
    SampleVoice voice;
    EXPECT_FALSE(voice.LoadFromResource(140, 7)) << c.what;
    EXPECT_EQ(voice.voiceBuffer, nullptr) << c.what;
    EXPECT_EQ(voice.sampleData != nullptr, c.dataKept) << c.what;
    NewCalls();
    voice.Play(0, 0, 0, false);
    EXPECT_EQ(NewCalls(), Calls{}) << c.what;
  }
}

TEST_F(SampleVoiceTest, PlayGuardsMakeNoDeviceCall) {
  SampleVoice never;
  never.Play(0, 0, 0, false);
  SampleVoice missing;
  EXPECT_FALSE(missing.LoadFromResource(999, 7));
  missing.Play(0, 0, 0, false);
  EXPECT_EQ(NewCalls(), Calls{});

  SampleVoice disabled;
  ASSERT_TRUE(disabled.LoadFromResource(133, 7));
  NewCalls();
  disabled.enabled = 0;
  disabled.Play(0, 0, 0, false);
  disabled.enabled = 1;
  disabled.sampleBytes = 0;
  disabled.Play(0, 0, 0, false);
  EXPECT_EQ(NewCalls(), Calls{});
}

TEST_F(SampleVoiceTest, BufferLossIsRepairedOnceOnLoadAndOnPlay) {
  SampleVoice voice;
  sound.LoseOnLock(1);
  ASSERT_TRUE(voice.LoadFromResource(133, 7));
  const Calls load = NewCalls();
  EXPECT_EQ(Calls(load.end() - 4, load.end()),
            (Calls{"b2.Lock 0 0 2", "b2.Restore", "b2.Lock 0 0 2", "b2.Unlock 8"}));

  sound.LoseOnPlay(1);
  voice.Play(-300, 0, 0, false);
  EXPECT_EQ(NewCalls(), (Calls{"b2.SetCurrentPosition 0", "b2.SetVolume -300", "b2.SetPan 0",
                               "b2.Play 0 0 0", "b2.Lock 0 0 2", "b2.Unlock 8", "b2.Play 0 0 0"}));

  // Lost twice on load: the load fails; lost twice on play: that trigger stays silent.
  SampleVoice lost;
  sound.LoseOnLock(2);
  EXPECT_FALSE(lost.LoadFromResource(133, 7));
  sound.LoseOnPlay(2);
  voice.Play(0, 0, 0, true);
  EXPECT_EQ(NewCalls().back(), "b2.Play 0 0 1");
}

TEST_F(SampleVoiceTest, TheLastVoiceReleasesTheDeviceInsteadOfItsPrimary) {
  auto first = std::make_unique<SampleVoice>();
  auto second = std::make_unique<SampleVoice>();
  ASSERT_TRUE(first->LoadFromResource(133, 7));   // b1 primary, b2 voice
  ASSERT_TRUE(second->LoadFromResource(133, 7));  // b3 primary, b4 voice
  NewCalls();
  second.reset();
  EXPECT_EQ(NewCalls(), (Calls{"b4.Release", "b3.Release"}));
  EXPECT_EQ(liveVoiceCount, 1);
  first.reset();
  EXPECT_EQ(NewCalls(), (Calls{"b2.Release", "Device.Release"}));
  EXPECT_EQ(soundDevice, nullptr);
  EXPECT_EQ(sound.DeviceReferences(), 0);
}

TEST_F(SampleVoiceTest, VoicesThatNeverMadeADeviceReleaseNothing) {
  {
    SampleVoice voices[30];
    EXPECT_EQ(liveVoiceCount, 30);
  }
  EXPECT_EQ(liveVoiceCount, 0);
  EXPECT_EQ(sound.calls(), Calls{});
}
