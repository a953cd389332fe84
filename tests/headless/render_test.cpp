// ostinel-render against known answers (the renders of CMakeLists.txt): reset and transformed at
// once (seed 10's draws), at "180" (steps of 83.25 ms), at 100 and at 30 frames a second. Each
// step's plays come at the first frame that sees the step, but sound from the step's own instant,
// to the sample, whatever the frame rate.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>

#include "base/little_endian.h"

namespace {

std::vector<unsigned char> Bytes(const std::string& dir, const std::string& name) {
  std::ifstream in(dir + "/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<nlohmann::json> Trace(const std::string& dir) {
  std::ifstream in(dir + "/trace.jsonl");
  std::vector<nlohmann::json> lines;
  for (std::string line; std::getline(in, line);) {
    lines.push_back(nlohmann::json::parse(line));
  }
  return lines;
}

std::uint32_t Word(const std::vector<unsigned char>& b, std::size_t at, bool big = false) {
  return big ? b[at] << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3] : Get32(&b[at]);
}

// The pattern of seed 10's transform, step by step from step 1: the tracks that play.
// clang-format off
const std::vector<std::vector<int>> kBar = {
    {3, 4, 6, 9, 10, 16}, {0, 4}, {8, 13, 16, 17, 24}, {2, 3, 5, 14, 20}, {0, 5, 9, 14, 17},
    {9, 10, 13}, {2, 9, 17}};
// clang-format on

// Steps 1 to 7 of the first bar: the frame that sees each first, and the plays it makes. Track i
// plays at -1000 by day, panned to -10000 + 800 i with the table unturned, due at the instant its
// step began, 83.25 ms apart.
void ExpectFirstBar(const std::vector<nlohmann::json>& lines, const std::vector<int>& frames) {
  std::vector<std::pair<int, std::vector<int>>> played;
  for (const nlohmann::json& line : lines) {
    if (line.contains("plays") && played.size() < kBar.size()) {
      const int step = static_cast<int>(played.size()) + 1;
      std::vector<int> tracks;
      for (const auto& play : line["plays"]) {
        tracks.push_back(play[0]);
        EXPECT_EQ(play[1], -1000);
        EXPECT_EQ(play[2], -10000 + 800 * play[0].get<int>());
        EXPECT_DOUBLE_EQ(play[3].get<double>(), 83.25 * step);
      }
      EXPECT_EQ(line["step"], step);
      played.emplace_back(line["frame"], tracks);
    }
  }
  std::vector<std::pair<int, std::vector<int>>> bar;
  for (std::size_t i = 0; i < kBar.size(); ++i) {
    bar.emplace_back(frames[i], kBar[i]);
  }
  EXPECT_EQ(played, bar);
}

}  // namespace

TEST(Render, TheFirstBarPlaysTheTransformedPatternOnTheStepGrid) {
  const std::vector<nlohmann::json> lines = Trace(OSTINEL_RENDER_DIR "/100fps");
  ASSERT_GE(lines.size(), 3u);
  // Seed 1's set-up draws 41, 18467 (odd: day), 6334 (tilt 24); "180" is 666 ms a bar.
  const nlohmann::json& head = lines.front();
  EXPECT_EQ(head["day"], true);
  EXPECT_EQ(head["tilt"], 24);
  EXPECT_EQ(head["cycle_ms"], 666);
  EXPECT_EQ(head["step_ms"], 83.25);
  // Frames 10 ms apart: the first at or after 83.25, 166.5, ... 582.75 ms.
  ExpectFirstBar(lines, {9, 17, 25, 34, 42, 50, 59});
  EXPECT_EQ(lines.back()["frames"], 100);

  // One second of 44100 Hz stereo sound.
  const std::vector<unsigned char> wav = Bytes(OSTINEL_RENDER_DIR "/100fps", "audio.wav");
  ASSERT_EQ(wav.size(), 44u + 44100 * 4);
  EXPECT_EQ(Word(wav, 24), 44100u);

  // A picture once a second and of the last frame, at the size asked for.
  for (const char* name : {"frame_00000.png", "frame_00099.png"}) {
    const std::vector<unsigned char> png = Bytes(OSTINEL_RENDER_DIR "/100fps", name);
    ASSERT_GT(png.size(), 24u) << name;
    EXPECT_EQ(Word(png, 16, true) * 1000 + Word(png, 20, true), 64000u + 48) << name;
  }
  EXPECT_TRUE(Bytes(OSTINEL_RENDER_DIR "/100fps", "frame_00001.png").empty());
}

TEST(Render, AtThirtyFramesASecondEachBeatStillStartsOnItsStepsSample) {
  const std::vector<nlohmann::json> lines = Trace(OSTINEL_RENDER_DIR "/30fps");
  ASSERT_GE(lines.size(), 3u);
  // Frames at 0, 33, 66, 100, ... ms: most steps are seen well after they began.
  ExpectFirstBar(lines, {3, 6, 8, 10, 13, 15, 18});

  // The first beat starts on the sample of 83.25 ms, 3671 (every drum sample opens on a silent
  // frame, so 3672 is the first that sounds); the frame that saw it came at 100 ms, sample 4410.
  const std::vector<unsigned char> slow = Bytes(OSTINEL_RENDER_DIR "/30fps", "audio.wav");
  const std::vector<unsigned char> fast = Bytes(OSTINEL_RENDER_DIR "/100fps", "audio.wav");
  ASSERT_EQ(slow.size(), fast.size());
  std::size_t first = 0;
  while (44 + 4 * first < slow.size() && Word(slow, 44 + 4 * first) == 0) {
    ++first;
  }
  EXPECT_EQ(first, 3672u);
  // Every beat of the bar on the same sample as at 100 frames a second: the whole first bar's
  // sound, up to the sample of 666 ms, is the same to the bit.
  const std::size_t barBytes = 44 + 4 * 29370;
  EXPECT_TRUE(std::equal(slow.begin(), slow.begin() + barBytes, fast.begin()));
}
