// The software mixer: DirectSound's level laws, the one-shot restart, one clip of the sum, and
// each play on its instant's frame.
#include "audio/software_mixer.h"

#include <gtest/gtest.h>

#include <vector>

#include "base/little_endian.h"

namespace {

// A sample holding `frames` on both sides, as a WAVE image's parse gives it.
struct TestSample {
  explicit TestSample(const std::vector<std::int16_t>& frames, std::uint16_t channels = 2) {
    for (std::int16_t frame : frames) {
      Put16(&bytes, static_cast<std::uint16_t>(frame));
      Put16(&bytes, static_cast<std::uint16_t>(frame));
    }
    wave.format = StereoPcm44100();
    wave.format.channels = channels;
    wave.sampleData = bytes.data();
    wave.sampleBytes = static_cast<std::uint32_t>(bytes.size());
  }
  std::vector<unsigned char> bytes;
  ParsedWave wave;
};

// The next `count` frames, one side.
std::vector<std::int16_t> Render(SoftwareMixer& mixer, std::size_t count, int side = 0) {
  std::vector<std::int16_t> out(count * 2), one;
  mixer.Render(out.data(), count);
  for (std::size_t i = side; i < out.size(); i += 2) {
    one.push_back(out[i]);
  }
  return one;
}

}  // namespace

TEST(Mixer, VolumeAndPanFollowDirectSoundsLaws) {
  struct Case {
    std::int32_t volume, pan;
    std::int16_t left, right;  // of a full-scale 10000
  };
  const Case cases[] = {
      {0, 0, 10000, 10000},  {-1000, 0, 3162, 3162}, {-2000, 0, 1000, 1000},
      {-10000, 0, 0, 0},     {-20000, 0, 0, 0},      {0, 10000, 0, 10000},
      {0, -10000, 10000, 0}, {0, 2000, 1000, 10000}, {-1000, -600, 3162, 1585},
  };
  SoftwareMixer mixer;
  const TestSample sample({10000, 10000});
  ASSERT_TRUE(mixer.Load(7, sample.wave));
  for (const Case& c : cases) {
    mixer.Play({7, c.volume, c.pan, 0.0});
    std::vector<std::int16_t> out(4);
    mixer.Render(out.data(), 2);
    EXPECT_EQ(out[0], c.left) << c.volume << " " << c.pan;
    EXPECT_EQ(out[1], c.right) << c.volume << " " << c.pan;
  }
}

TEST(Mixer, OneShotsStopAndANewPlayRestartsTheSampleOnlyStereo44100IsTaken) {
  SoftwareMixer mixer;
  const TestSample once({1, 2, 3}), mono({9, 9, 9}, 1);
  ASSERT_TRUE(mixer.Load(0, once.wave));
  EXPECT_FALSE(mixer.Load(1, mono.wave));
  mixer.Play({0, 0, 0, 0.0});
  mixer.Play({1, 0, 0, 0.0});  // not loaded: nothing
  mixer.Play({5, 0, 0, 0.0});  // never loaded: nothing
  EXPECT_EQ(Render(mixer, 5), (std::vector<std::int16_t>{1, 2, 3, 0, 0}));
  mixer.Play({0, 0, 0, 0.0});
  EXPECT_EQ(Render(mixer, 2), (std::vector<std::int16_t>{1, 2}));
  mixer.Play({0, 0, 0, 0.0});
  EXPECT_EQ(Render(mixer, 4), (std::vector<std::int16_t>{1, 2, 3, 0})) << "cut and restarted";
}

TEST(Mixer, VoicesSumInFloatAndClipOnce) {
  SoftwareMixer mixer;
  const TestSample samples[] = {TestSample({30000, 30000, -30000}),
                                TestSample({30000, -30000, -30000}), TestSample({1, 1, 1})};
  for (int slot = 0; slot < 3; ++slot) {
    mixer.Load(slot, samples[slot].wave);
    mixer.Play(
        {slot, -6, 0, 0.0});  // 0.99931: the middle frame is 1 only if the sum is rounded once
  }
  EXPECT_EQ(Render(mixer, 3, 1), (std::vector<std::int16_t>{32767, 1, -32768}));
}

namespace {

// Where a play of a sample of 5s starts, in a fresh mixer whose clock the observations `follow`
// (frame rendered, ms) set, with a latency of 441 frames (10 ms) or the hack's, which follows the
// plays' needs; and whether the mixer counts it late.
struct TimedCase {
  const char* rule;
  std::vector<std::pair<std::uint64_t, double>> follow;
  double at;
  std::uint64_t start;  // the first frame that sounds
  bool late = false;
  std::uint32_t longestWait = 44100;
  bool followsNeeds = false;
};

std::pair<std::uint64_t, bool> StartOfTimedPlay(const TimedCase& c) {
  SoftwareMixer mixer;
  const TestSample sample({5, 5, 5});
  mixer.Load(0, sample.wave);
  mixer.SetLatency(441, c.longestWait);
  if (c.followsNeeds) {
    mixer.FollowNeeds(kRealTimePlayLatency);
  }
  std::vector<std::int16_t> out(2 * 44100);
  for (const auto& [frame, ms] : c.follow) {
    mixer.Render(out.data(), frame - mixer.RenderedFrames());
    mixer.FollowClock(ms);
  }
  const std::uint64_t played = mixer.RenderedFrames();
  mixer.Play({0, 0, 0, c.at});
  mixer.Render(out.data(), 44100);
  std::uint64_t first = 0;
  while (first < 44100 && out[2 * first] == 0) {
    ++first;
  }
  return {played + first, mixer.Tally().late == 1};
}

}  // namespace

TEST(MixerClock, ATimedPlayStartsOnItsInstantsSamplePlusTheLatencyOrAtOnceWhenLate) {
  const TimedCase cases[] = {
      {"the clock not anchored yet: with the next frame", {}, 1000.0, 0},
      {"due as the clock reads it: one latency on", {{0, 1000.0}}, 1000.0, 441},
      {"between samples: the one it falls on (83.25 ms is 3671.3)",
       {{0, 1000.0}},
       1083.25,
       3671 + 441},
      {"its frame already rendered: at once, late",
       {{0, 1000.0}, {8820, 1200.0}},
       1083.25,
       8820,
       true},
      {"ahead across the wrap (2^32 - 6 ms, then 4.5 ms)", {{0, 4294967290.0}}, 4.5, 463 + 441},
      {"more than a latency behind, across the wrap: at once, late",
       {{0, 4.0}},
       4294967280.0,
       0,
       true},
      {"further ahead than the longest wait (a clock not keeping time): at once",
       {{0, 1000.0}},
       1000.1,
       0,
       false,
       441},
      {"a wake-up 3 ms late moves the clock by a hair",
       {{0, 1000.0}, {4410, 1103.0}},
       1200.0,
       8820 + 441 - 1},
      {"a stall of 50 ms anchors it afresh",
       {{0, 1000.0}, {4410, 1150.0}},
       1200.0,
       4410 + 2205 + 441},
      // The hack's latency: from 38 ms (1675.8 frames), 15 ms over a larger need, 150 at most.
      {"following the needs, one with time to spare: 38 ms on",
       {{0, 1000.0}},
       1000.0,
       1676,
       false,
       441,
       true},
      {"one needing 40 ms (1764 frames), later than 38 ms allows: 55 ms on, on time",
       {{0, 1000.0}, {4410, 1100.0}},
       1060.0,
       2646 + 2426,
       false,
       441,
       true},
      {"one needing 200 ms, past the limit: at once, late",
       {{0, 1000.0}, {8820, 1200.0}},
       1000.0,
       8820,
       true,
       441,
       true},
  };
  for (const TimedCase& c : cases) {
    EXPECT_EQ(StartOfTimedPlay(c), std::make_pair(c.start, c.late)) << c.rule;
  }
}

TEST(Mixer, WhatASampleSoundsGoesOnUntilItsNextPlaysFrame) {
  SoftwareMixer mixer;
  const TestSample sample({100, 200, 300, 400, 500, 600});
  mixer.Load(0, sample.wave);
  mixer.AnchorClock(0, 0.0);
  mixer.Play({0, 0, 0, 0.0});
  EXPECT_EQ(Render(mixer, 2), (std::vector<std::int16_t>{100, 200}));
  // Due at 0.1 ms: frame 4 (4.41). The new play's volume takes effect there, not before.
  mixer.Play({0, -2000, 0, 0.1});
  EXPECT_EQ(Render(mixer, 4), (std::vector<std::int16_t>{300, 400, 10, 20}));
}
