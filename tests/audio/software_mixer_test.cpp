// The software mixer: DirectSound's level laws, restart and one-shot behaviour, one clip of the
// sum.
#include <gtest/gtest.h>

#include <vector>

#include "audio/software_mixer.h"

namespace {

class MixerTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(mixer.CreateDevice(&device), kDsOk); }
  void TearDown() override { device->Release(); }

  // A static stereo buffer holding `frames` on both sides.
  SoundBuffer* Buffer(const std::vector<std::int16_t>& frames) {
    const WaveFormat format = StereoPcm44100();
    SoundBufferDesc desc;
    desc.flags = kDsbcapsStatic | kDsbcapsCtrlPan | kDsbcapsCtrlVolume;
    desc.bufferBytes = static_cast<std::uint32_t>(frames.size() * 4);
    desc.format = &format;
    SoundBuffer* buffer = nullptr;
    void* region = nullptr;
    std::uint32_t bytes = 0;
    EXPECT_EQ(device->CreateSoundBuffer(desc, &buffer), kDsOk);
    EXPECT_EQ(buffer->Lock(0, 0, &region, &bytes, kDsblockEntireBuffer), kDsOk);
    for (std::size_t i = 0; i < frames.size(); ++i) {
      static_cast<std::int16_t*>(region)[2 * i] = frames[i];
      static_cast<std::int16_t*>(region)[2 * i + 1] = frames[i];
    }
    buffer->Unlock(region, bytes);
    return buffer;
  }
  // The next `count` frames, one side.
  std::vector<std::int16_t> Render(std::size_t count, int side = 0) {
    std::vector<std::int16_t> out(count * 2), one;
    mixer.Render(out.data(), count);
    for (std::size_t i = side; i < out.size(); i += 2) {
      one.push_back(out[i]);
    }
    return one;
  }

  SoftwareMixer mixer;
  SoundDevice* device = nullptr;
};

}  // namespace

TEST_F(MixerTest, VolumeAndPanFollowDirectSoundsLaws) {
  struct Case {
    std::int32_t volume, pan;
    std::int16_t left, right;  // of a full-scale 10000
  };
  const Case cases[] = {
      {0, 0, 10000, 10000},  {-1000, 0, 3162, 3162}, {-2000, 0, 1000, 1000},
      {-10000, 0, 0, 0},     {-20000, 0, 0, 0},      {0, 10000, 0, 10000},
      {0, -10000, 10000, 0}, {0, 2000, 1000, 10000}, {-1000, -600, 3162, 1585},
  };
  SoundBuffer* buffer = Buffer({10000, 10000});
  for (const Case& c : cases) {
    buffer->SetCurrentPosition(0);
    buffer->SetVolume(c.volume);
    buffer->SetPan(c.pan);
    buffer->Play(0, 0, 0);
    std::vector<std::int16_t> out(4);
    mixer.Render(out.data(), 2);
    EXPECT_EQ(out[0], c.left) << c.volume << " " << c.pan;
    EXPECT_EQ(out[1], c.right) << c.volume << " " << c.pan;
  }
}

TEST_F(MixerTest, OneShotsStopLoopsWrapAndANewPlayGoesOnFromThePositionSet) {
  SoundBuffer* once = Buffer({1, 2, 3});
  once->Play(0, 0, 0);
  EXPECT_EQ(Render(5), (std::vector<std::int16_t>{1, 2, 3, 0, 0}));
  SoundBuffer* loop = Buffer({10, 20});
  loop->Play(0, 0, kDsbplayLooping);
  EXPECT_EQ(Render(3), (std::vector<std::int16_t>{10, 20, 10}));
  loop->Release();
  SoundBuffer* cut = Buffer({1, 2, 3, 4, 5, 6});
  cut->Play(0, 0, 0);
  EXPECT_EQ(Render(3), (std::vector<std::int16_t>{1, 2, 3}));
  cut->SetCurrentPosition(4);  // bytes: frame 1
  cut->Play(0, 0, 0);
  EXPECT_EQ(Render(3), (std::vector<std::int16_t>{2, 3, 4}));
}

TEST_F(MixerTest, VoicesSumInFloatAndClipOnce) {
  for (const std::vector<std::int16_t>& frames :
       {std::vector<std::int16_t>{30000, 30000, -30000}, {30000, -30000, -30000}, {1, 1, 1}}) {
    SoundBuffer* buffer = Buffer(frames);
    buffer->SetVolume(-6);  // 0.99931: the middle frame is 1 only if the sum is rounded once
    buffer->Play(0, 0, 0);
  }
  EXPECT_EQ(Render(3, 1), (std::vector<std::int16_t>{32767, 1, -32768}));
}
