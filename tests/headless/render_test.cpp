// ostinel-render against known answers (the render of render_known_bar, CMakeLists.txt): reset and
// transformed at once (seed 10's draws), its first bar plays exactly the unmuted cells of that
// pattern, step by step, at the frames where the steps begin; its sound starts with the first play.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>

namespace {

std::vector<unsigned char> Bytes(const std::string& name) {
  std::ifstream in(std::string(OSTINEL_RENDER_DIR "/") + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t Word(const std::vector<unsigned char>& b, std::size_t at, bool big = false) {
  return big ? b[at] << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3]
             : b[at] | b[at + 1] << 8 | b[at + 2] << 16 |
                   static_cast<std::uint32_t>(b[at + 3]) << 24;
}

}  // namespace

TEST(Render, TheFirstBarPlaysTheTransformedPatternOnTheStepGrid) {
  std::ifstream in(OSTINEL_RENDER_DIR "/trace.jsonl");
  std::vector<nlohmann::json> lines;
  for (std::string line; std::getline(in, line);) {
    lines.push_back(nlohmann::json::parse(line));
  }
  ASSERT_GE(lines.size(), 3u);
  // Seed 1's set-up draws 41, 18467 (odd: day), 6334 (tilt 24); tempo "120" is 1000 ms a bar.
  const nlohmann::json& head = lines.front();
  EXPECT_EQ(head["day"], true);
  EXPECT_EQ(head["tilt"], 24);
  EXPECT_EQ(head["cycle_ms"], 1000);
  EXPECT_EQ(head["step_ms"], 125);
  // Steps 1 to 7 begin at 125 ms apart: the first frames (10 ms apart) at or after them. Track i
  // plays at -1000 by day, panned to -10000 + 800 i with the table unturned.
  // clang-format off
  const std::vector<std::pair<int, std::vector<int>>> bar = {
      {13, {3, 4, 6, 9, 10, 16}}, {25, {0, 4}},            {38, {8, 13, 16, 17, 24}},
      {50, {2, 3, 5, 14, 20}},    {63, {0, 5, 9, 14, 17}}, {75, {9, 10, 13}}, {88, {2, 9, 17}}};
  // clang-format on
  std::vector<std::pair<int, std::vector<int>>> played;
  for (const nlohmann::json& line : lines) {
    if (line.contains("plays")) {
      std::vector<int> tracks;
      for (const auto& play : line["plays"]) {
        tracks.push_back(play[0]);
        EXPECT_EQ(play[1], -1000);
        EXPECT_EQ(play[2], -10000 + 800 * play[0].get<int>());
      }
      EXPECT_EQ(line["step"], static_cast<int>(played.size()) + 1);
      played.emplace_back(line["frame"], tracks);
    }
  }
  EXPECT_EQ(played, bar);
  EXPECT_EQ(lines.back()["frames"], 100);

  // One second of 44100 Hz stereo sound, silent until the first play at 130 ms.
  const std::vector<unsigned char> wav = Bytes("audio.wav");
  ASSERT_EQ(wav.size(), 44u + 44100 * 4);
  EXPECT_EQ(Word(wav, 24), 44100u);
  const auto loudAt = [&](std::size_t frame) {
    return wav[44 + 4 * frame] | wav[45 + 4 * frame] | wav[46 + 4 * frame] | wav[47 + 4 * frame];
  };
  std::size_t first = 0;
  while (first < 44100 && loudAt(first) == 0) {
    ++first;
  }
  EXPECT_GE(first, 5733u);
  EXPECT_LE(first, 5733u + 44);

  // A picture once a second and of the last frame, at the size asked for.
  for (const char* name : {"frame_00000.png", "frame_00099.png"}) {
    const std::vector<unsigned char> png = Bytes(name);
    ASSERT_GT(png.size(), 24u) << name;
    EXPECT_EQ(Word(png, 16, true) * 1000 + Word(png, 20, true), 64000u + 48) << name;
  }
  EXPECT_TRUE(Bytes("frame_00001.png").empty());
}
