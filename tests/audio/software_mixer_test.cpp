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
    buffer->Play(0, 0, 0, PlayTime());
    std::vector<std::int16_t> out(4);
    mixer.Render(out.data(), 2);
    EXPECT_EQ(out[0], c.left) << c.volume << " " << c.pan;
    EXPECT_EQ(out[1], c.right) << c.volume << " " << c.pan;
  }
}

TEST_F(MixerTest, OneShotsStopLoopsWrapAndANewPlayGoesOnFromThePositionSet) {
  SoundBuffer* once = Buffer({1, 2, 3});
  once->Play(0, 0, 0, PlayTime());
  EXPECT_EQ(Render(5), (std::vector<std::int16_t>{1, 2, 3, 0, 0}));
  SoundBuffer* loop = Buffer({10, 20});
  loop->Play(0, 0, kDsbplayLooping, PlayTime());
  EXPECT_EQ(Render(3), (std::vector<std::int16_t>{10, 20, 10}));
  loop->Release();
  SoundBuffer* cut = Buffer({1, 2, 3, 4, 5, 6});
  cut->Play(0, 0, 0, PlayTime());
  EXPECT_EQ(Render(3), (std::vector<std::int16_t>{1, 2, 3}));
  cut->SetCurrentPosition(4);  // bytes: frame 1
  cut->Play(0, 0, 0, PlayTime());
  EXPECT_EQ(Render(3), (std::vector<std::int16_t>{2, 3, 4}));
}

TEST_F(MixerTest, VoicesSumInFloatAndClipOnce) {
  for (const std::vector<std::int16_t>& frames :
       {std::vector<std::int16_t>{30000, 30000, -30000}, {30000, -30000, -30000}, {1, 1, 1}}) {
    SoundBuffer* buffer = Buffer(frames);
    buffer->SetVolume(-6);  // 0.99931: the middle frame is 1 only if the sum is rounded once
    buffer->Play(0, 0, 0, PlayTime());
  }
  EXPECT_EQ(Render(3, 1), (std::vector<std::int16_t>{32767, 1, -32768}));
}

namespace {

// Where a play of a buffer of 5s starts, in a fresh mixer whose clock the observations `follow`
// (frame rendered, ms) set, with a latency of 441 frames (10 ms).
struct TimedCase {
  const char* rule;
  std::vector<std::pair<std::uint64_t, double>> follow;
  PlayTime at;
  std::uint64_t start;  // the first frame that sounds
  std::uint32_t longestWait = 44100;
};

std::uint64_t StartOfTimedPlay(const TimedCase& c) {
  SoftwareMixer mixer;
  SoundDevice* device = nullptr;
  mixer.CreateDevice(&device);
  const WaveFormat format = StereoPcm44100();
  SoundBufferDesc desc;
  desc.flags = kDsbcapsStatic;
  desc.bufferBytes = 3 * 4;
  desc.format = &format;
  SoundBuffer* buffer = nullptr;
  device->CreateSoundBuffer(desc, &buffer);
  void* region = nullptr;
  std::uint32_t bytes = 0;
  buffer->Lock(0, 0, &region, &bytes, kDsblockEntireBuffer);
  std::fill_n(static_cast<std::int16_t*>(region), 6, 5);
  buffer->Unlock(region, bytes);
  mixer.SetLatency(441, c.longestWait);
  std::vector<std::int16_t> out(2 * 44100);
  for (const auto& [frame, ms] : c.follow) {
    mixer.Render(out.data(), frame - mixer.RenderedFrames());
    mixer.FollowClock(ms);
  }
  const std::uint64_t played = mixer.RenderedFrames();
  buffer->Play(0, 0, 0, c.at);
  mixer.Render(out.data(), 44100);
  std::uint64_t first = 0;
  while (first < 44100 && out[2 * first] == 0) {
    ++first;
  }
  buffer->Release();
  device->Release();
  return played + first;
}

}  // namespace

TEST(MixerClock, ATimedPlayStartsOnItsInstantsSamplePlusTheLatencyOrAtOnceWhenLate) {
  const TimedCase cases[] = {
      {"untimed: with the next frame", {{100, 1000.0}}, PlayTime{}, 100},
      {"due as the clock reads it: one latency on", {{0, 1000.0}}, {1000.0, true}, 441},
      {"between samples: the one it falls on (83.25 ms is 3671.3)",
       {{0, 1000.0}},
       {1083.25, true},
       3671 + 441},
      {"its frame already rendered: at once", {{0, 1000.0}, {8820, 1200.0}}, {1083.25, true}, 8820},
      {"ahead across the wrap (2^32 - 6 ms, then 4.5 ms)",
       {{0, 4294967290.0}},
       {4.5, true},
       463 + 441},
      {"more than a latency behind, across the wrap: at once",
       {{0, 4.0}},
       {4294967280.0, true},
       0},
      {"further ahead than the longest wait (a clock not keeping time): at once",
       {{0, 1000.0}},
       {1000.1, true},
       0,
       441},
      {"a wake-up 3 ms late moves the clock by a hair",
       {{0, 1000.0}, {4410, 1103.0}},
       {1200.0, true},
       8820 + 441 - 1},
      {"a stall of 50 ms anchors it afresh",
       {{0, 1000.0}, {4410, 1150.0}},
       {1200.0, true},
       4410 + 2205 + 441},
  };
  for (const TimedCase& c : cases) {
    EXPECT_EQ(StartOfTimedPlay(c), c.start) << c.rule;
  }
}

TEST_F(MixerTest, WhatABufferSoundsGoesOnUntilItsNextPlaysFrame) {
  mixer.AnchorClock(0, 0.0);
  SoundBuffer* buffer = Buffer({100, 200, 300, 400, 500, 600});
  buffer->Play(0, 0, 0, PlayTime());
  EXPECT_EQ(Render(2), (std::vector<std::int16_t>{100, 200}));
  // Due at 0.1 ms: frame 4 (4.41). The position and volume set take effect there, not before.
  buffer->SetCurrentPosition(0);
  buffer->SetVolume(-2000);
  buffer->Play(0, 0, 0, PlayTime{0.1, true});
  EXPECT_EQ(Render(4), (std::vector<std::int16_t>{300, 400, 10, 20}));
}
