// The committed drum samples: their WAVE layout and lengths, how each one starts, and that the
// generator in tools/ still makes them byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "base/little_endian.h"

using namespace std::string_literals;

namespace {

std::vector<unsigned char> ReadBytes(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

std::filesystem::path SampleFile(const std::filesystem::path& dir, int slot) {
  return dir / ((slot < 10 ? "slot0" : "slot") + std::to_string(slot) + ".wav");
}

std::uint32_t U32(const std::vector<unsigned char>& b, std::size_t at) {
  return Get32(&b[at]);
}

}  // namespace

TEST(Samples, HaveTheirLengthsAndLayoutAndStartAsTheyShould) {
  // Frames per slot, and whether the sound swells to its peak 100 to 290 ms in.
  const int frames[25] = {8143,  3420,  4386,  14114, 63360, 57735, 3423,  26460, 8820,
                          8820,  11911, 8820,  8122,  17398, 7536,  18330, 49540, 13878,
                          12246, 2598,  98388, 8801,  44100, 18263, 18522};
  const std::set<int> swelling = {9, 10, 11, 12, 13, 22, 23};
  // RIFF, its size, WAVE, a 16-byte fmt of 44100 Hz stereo 16-bit PCM, then data.
  const std::string head =
      "RIFF....WAVEfmt \x10\0\0\0\x01\0\x02\0\x44\xac\0\0\x10\xb1\x02\0\x04\0\x10\0data"s;
  for (int slot = 0; slot < 25; ++slot) {
    const auto b = ReadBytes(SampleFile(OSTINEL_SOURCE_DIR "/resources/samples", slot));
    const std::size_t dataEnd = 44 + 4 * static_cast<std::size_t>(frames[slot]);
    const std::size_t list = slot == 22 ? 44 : 98;
    ASSERT_EQ(b.size(), dataEnd + 8 + list + 8 + 24) << slot;
    EXPECT_EQ(U32(b, 4), b.size() - 8) << slot;
    for (std::size_t i = 0; i < head.size(); ++i) {
      EXPECT_TRUE(head[i] == '.' || b[i] == static_cast<unsigned char>(head[i]))
          << slot << " " << i;
    }
    EXPECT_EQ(U32(b, 40), 4u * frames[slot]) << slot;
    EXPECT_EQ(std::string(b.begin() + dataEnd, b.begin() + dataEnd + 4) +
                  std::string(b.end() - 32, b.end() - 28),
              "LISTacid");
    int peak = 0, peakFrame = 0;
    for (int i = 0; i < 2 * frames[slot]; ++i) {
      const int v = std::abs(static_cast<std::int16_t>(Get16(&b[44 + 2 * i])));
      peakFrame = v > peak ? i / 2 : peakFrame;
      peak = std::max(peak, v);
    }
    const double peakMs = peakFrame / 44.1;
    EXPECT_TRUE(swelling.count(slot) ? peakMs >= 100 && peakMs <= 290 : peakMs <= 30)
        << "slot " << slot << " peaks at " << peakMs << " ms";
    EXPECT_GE(peak, 0.85 * 32767) << slot;
  }
}

TEST(Samples, TheGeneratorRebuildsTheCommittedFilesByteForByte) {
  const std::filesystem::path dir =
      std::filesystem::path(testing::TempDir()) /
      ("ostinel-samples-" +
       std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
  ASSERT_EQ(std::system(("\"" OSTINEL_MAKE_SAMPLES "\" \"" + dir.string() + "\"").c_str()), 0);
  for (int slot = 0; slot < 25; ++slot) {
    const std::vector<unsigned char> built = ReadBytes(SampleFile(dir, slot));
    EXPECT_FALSE(built.empty()) << slot;
    EXPECT_TRUE(built == ReadBytes(SampleFile(OSTINEL_SOURCE_DIR "/resources/samples", slot)))
        << slot;
  }
  std::filesystem::remove_all(dir);
}
