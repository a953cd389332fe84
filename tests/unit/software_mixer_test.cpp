// The software mixer: DirectSound's level laws, restart and one-shot behaviour, one clip of the sum.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "audio/software_mixer.h"

namespace {

struct Gains {
  std::int32_t volume;
  std::int32_t pan;
  float left;
  float right;
};

// A static stereo buffer on a mixer device, filled with `frames` (left = right = value).
SoundBuffer* MakeBuffer(SoundDevice* device, const std::vector<std::int16_t>& frames) {
  const WaveFormat format = StereoPcm44100();
  SoundBufferDesc desc;
  desc.flags = kDsbcapsStatic | kDsbcapsCtrlPan | kDsbcapsCtrlVolume;
  desc.bufferBytes = static_cast<std::uint32_t>(frames.size() * 4);
  desc.format = &format;
  SoundBuffer* buffer = nullptr;
  EXPECT_EQ(device->CreateSoundBuffer(desc, &buffer), kDsOk);
  void* region = nullptr;
  std::uint32_t bytes = 0;
  EXPECT_EQ(buffer->Lock(0, 0, &region, &bytes, kDsblockEntireBuffer), kDsOk);
  auto* out = static_cast<std::int16_t*>(region);
  for (std::size_t i = 0; i < frames.size(); ++i) {
    out[2 * i] = out[2 * i + 1] = frames[i];
  }
  buffer->Unlock(region, bytes);
  return buffer;
}

std::vector<std::int16_t> Left(const std::vector<std::int16_t>& stereo) {
  std::vector<std::int16_t> left;
  for (std::size_t i = 0; i < stereo.size(); i += 2) {
    left.push_back(stereo[i]);
  }
  return left;
}

class MixerTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(mixer.CreateDevice(&device), kDsOk); }
  void TearDown() override { device->Release(); }

  std::vector<std::int16_t> Render(std::size_t frames) {
    std::vector<std::int16_t> out(frames * 2);
    mixer.Render(out.data(), frames);
    return out;
  }

  SoftwareMixer mixer;
  SoundDevice* device = nullptr;
};

}  // namespace

TEST(MixerGains, FollowDirectSoundsVolumeAndPanLaws) {
  const Gains cases[] = {
      {0, 0, 1.0f, 1.0f},           {-1000, 0, 0.31623f, 0.31623f},
      {-2000, 0, 0.1f, 0.1f},       {-10000, 0, 0.0f, 0.0f},
      {-20000, 0, 0.0f, 0.0f},      {0, 10000, 0.0f, 1.0f},
      {0, -10000, 1.0f, 0.0f},      {0, 2000, 0.1f, 1.0f},
      {-1000, -600, 0.31623f, 0.15849f},
  };
  for (const Gains& c : cases) {
    float left = -1;
    float right = -1;
    GainsFor(c.volume, c.pan, &left, &right);
    EXPECT_NEAR(left, c.left, 1e-4) << c.volume << " " << c.pan;
    EXPECT_NEAR(right, c.right, 1e-4) << c.volume << " " << c.pan;
  }
}

TEST_F(MixerTest, LevelsReachTheOutput) {
  SoundBuffer* buffer = MakeBuffer(device, std::vector<std::int16_t>(8, 10000));
  buffer->SetVolume(-1000);
  buffer->SetPan(10000);
  buffer->Play(0, 0, 0);
  const std::vector<std::int16_t> out = Render(4);
  for (std::size_t i = 0; i < out.size(); i += 2) {
    EXPECT_EQ(out[i], 0);         // left silenced by the pan
    EXPECT_EQ(out[i + 1], 3162);  // right at -10 dB
  }
}

TEST_F(MixerTest, OneShotEndsAtTheBufferEndAndLoopsWrap) {
  SoundBuffer* once = MakeBuffer(device, {1, 2, 3});
  once->Play(0, 0, 0);
  EXPECT_EQ(Left(Render(5)), (std::vector<std::int16_t>{1, 2, 3, 0, 0}));
  EXPECT_EQ(Left(Render(2)), (std::vector<std::int16_t>{0, 0}));

  SoundBuffer* loop = MakeBuffer(device, {10, 20});
  loop->Play(0, 0, kDsbplayLooping);
  EXPECT_EQ(Left(Render(5)), (std::vector<std::int16_t>{10, 20, 10, 20, 10}));
}

TEST_F(MixerTest, ANewPlayCutsTheSoundingOneAndStartsFromThePositionSet) {
  SoundBuffer* buffer = MakeBuffer(device, {1, 2, 3, 4, 5, 6});
  buffer->Play(0, 0, 0);
  EXPECT_EQ(Left(Render(3)), (std::vector<std::int16_t>{1, 2, 3}));
  buffer->SetCurrentPosition(4);  // bytes: frame 1
  buffer->Play(0, 0, 0);
  EXPECT_EQ(Left(Render(3)), (std::vector<std::int16_t>{2, 3, 4}));
  buffer->Play(0, 0, 0);  // no new position: goes on where it is
  EXPECT_EQ(Left(Render(4)), (std::vector<std::int16_t>{5, 6, 0, 0}));
}

TEST_F(MixerTest, VoicesSumInFloatAndClipOnce) {
  SoundBuffer* loud = MakeBuffer(device, {30000, 30000, -30000});
  SoundBuffer* louder = MakeBuffer(device, {30000, -30000, -30000});
  SoundBuffer* quiet = MakeBuffer(device, {1, 1, 1});
  for (SoundBuffer* buffer : {loud, louder, quiet}) {
    buffer->SetVolume(-6);  // 0.99931: the middle frame is 1 only if the sum is rounded once
    buffer->Play(0, 0, 0);
  }
  EXPECT_EQ(Left(Render(3)), (std::vector<std::int16_t>{32767, 1, -32768}));
}

TEST_F(MixerTest, RefusesWhatDirectSoundWouldRefuse) {
  WaveFormat mono;
  mono.formatTag = kWaveFormatPcm;
  mono.channels = 1;
  mono.samplesPerSec = 44100;
  mono.blockAlign = 2;
  mono.bitsPerSample = 16;
  SoundBufferDesc desc;
  desc.bufferBytes = 8;
  desc.format = &mono;
  SoundBuffer* buffer = nullptr;
  EXPECT_EQ(device->CreateSoundBuffer(desc, &buffer), kDsErrBadFormat);
  EXPECT_EQ(buffer, nullptr);
  desc.format = nullptr;
  EXPECT_EQ(device->CreateSoundBuffer(desc, &buffer), kDsErrInvalidParam);
}
