// The committed drum samples: their exact WAVE layout, their level and shape, and that the
// generator in tools/ still makes them byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr int kFullScale = 32767;

struct SampleCase {
  int slot;
  int frames;
  int listBody;
  bool swells;           // peaks 100 to 290 ms in rather than at the start
  double maxLevelLater;  // decaying sounds: RMS 100 ms after the peak, relative to the peak's
};

// Short drums lose at least 6 dB within 100 ms of the hit; the crash and ride must lose 3 dB, and
// the 808 boom and the bell, which are meant to ring on, about 1 dB.
const SampleCase kCases[] = {
    {0, 8143, 98, false, 0.5},   {1, 3420, 98, false, 0.5},   {2, 4386, 98, false, 0.5},
    {3, 14114, 98, false, 0.5},  {4, 63360, 98, false, 0.7},  {5, 57735, 98, false, 0.7},
    {6, 3423, 98, false, 0.5},   {7, 26460, 98, false, 0.5},  {8, 8820, 98, false, 0.5},
    {9, 8820, 98, true, 0},      {10, 11911, 98, true, 0},    {11, 8820, 98, true, 0},
    {12, 8122, 98, true, 0},     {13, 17398, 98, true, 0},    {14, 7536, 98, false, 0.5},
    {15, 18330, 98, false, 0.5}, {16, 49540, 98, false, 0.9}, {17, 13878, 98, false, 0.5},
    {18, 12246, 98, false, 0.5}, {19, 2598, 98, false, 0.5},  {20, 98388, 98, false, 0.9},
    {21, 8801, 98, false, 0.5},  {22, 44100, 44, true, 0},    {23, 18263, 98, true, 0},
    {24, 18522, 98, false, 0.5},
};

std::string FileName(int slot) {
  return "slot" + std::string(slot < 10 ? "0" : "") + std::to_string(slot) + ".wav";
}

std::vector<unsigned char> ReadBytes(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::uint32_t U32(const std::vector<unsigned char>& b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
unsigned U16(const std::vector<unsigned char>& b, std::size_t at) {
  return b[at] | b[at + 1] << 8;
}
std::string Tag(const std::vector<unsigned char>& b, std::size_t at) {
  return std::string(b.begin() + at, b.begin() + at + 4);
}

class Sample : public testing::TestWithParam<SampleCase> {
 protected:
  void SetUp() override {
    bytes = ReadBytes(std::filesystem::path(OSTINEL_SOURCE_DIR) / "resources/samples" /
                      FileName(GetParam().slot));
    dataEnd = 44 + 4 * static_cast<std::size_t>(GetParam().frames);
    ASSERT_EQ(bytes.size(), dataEnd + 8 + GetParam().listBody + 8 + 24);
    for (std::size_t at = 44; at < dataEnd; at += 2) {
      const int value = static_cast<int>(U16(bytes, at));
      samples.push_back(value >= 32768 ? value - 65536 : value);
    }
  }

  // RMS over both channels of the 10 ms around `frame`; 0 once the sound is over.
  double Level(int frame) const {
    const int frames = GetParam().frames, begin = std::max(0, frame - kRate / 200);
    const int end = std::min(frames, begin + kRate / 100);
    double sum = 0.0;
    for (int i = 2 * begin; i < 2 * end; ++i) {
      sum += static_cast<double>(samples[i]) * samples[i];
    }
    return end > begin ? std::sqrt(sum / (2 * (end - begin))) : 0.0;
  }

  std::vector<unsigned char> bytes;
  std::size_t dataEnd = 0;
  std::vector<int> samples;  // interleaved, left first
};

TEST_P(Sample, IsStereoPcmWithDataListAndAcidChunksAndNothingElse) {
  const SampleCase& c = GetParam();
  EXPECT_EQ(Tag(bytes, 0), "RIFF");
  EXPECT_EQ(U32(bytes, 4), bytes.size() - 8);
  EXPECT_EQ(Tag(bytes, 8), "WAVE");
  EXPECT_EQ(Tag(bytes, 12), "fmt ");
  EXPECT_EQ(U32(bytes, 16), 16u);
  EXPECT_EQ(U16(bytes, 20), 1u);
  EXPECT_EQ(U16(bytes, 22), 2u);
  EXPECT_EQ(U32(bytes, 24), 44100u);
  EXPECT_EQ(U32(bytes, 28), 176400u);
  EXPECT_EQ(U16(bytes, 32), 4u);
  EXPECT_EQ(U16(bytes, 34), 16u);
  EXPECT_EQ(Tag(bytes, 36), "data");
  EXPECT_EQ(U32(bytes, 40), 4u * c.frames);
  EXPECT_EQ(Tag(bytes, dataEnd), "LIST");
  EXPECT_EQ(U32(bytes, dataEnd + 4), static_cast<std::uint32_t>(c.listBody));
  EXPECT_EQ(Tag(bytes, dataEnd + 8), "INFO");
  // The INFO texts fill the LIST body exactly, each NUL-terminated and word-aligned.
  const std::size_t listEnd = dataEnd + 8 + c.listBody;
  std::size_t at = dataEnd + 12;
  while (at + 8 <= listEnd) {
    const std::size_t size = U32(bytes, at + 4);
    ASSERT_LE(at + 8 + size, listEnd) << Tag(bytes, at);
    EXPECT_EQ(bytes[at + 8 + size - 1], 0) << Tag(bytes, at);
    at += 8 + size + (size & 1);
  }
  EXPECT_EQ(at, listEnd);
  EXPECT_EQ(Tag(bytes, listEnd), "acid");
  EXPECT_EQ(U32(bytes, listEnd + 4), 24u);
  EXPECT_EQ(listEnd + 8 + 24, bytes.size());
}

TEST_P(Sample, PeaksJustBelowFullScaleWithoutDcAndEndsOnZero) {
  const int frames = GetParam().frames;
  int peak = 0;
  double sum[2] = {0, 0};
  for (std::size_t i = 0; i < samples.size(); ++i) {
    peak = std::max(peak, std::abs(samples[i]));
    sum[i % 2] += samples[i];
  }
  EXPECT_GE(peak, 0.85 * kFullScale);
  EXPECT_LE(peak, 0.999 * kFullScale);  // so never at +32767 or -32768 either
  EXPECT_LT(std::fabs(sum[0] / frames), 0.005 * kFullScale);
  EXPECT_LT(std::fabs(sum[1] / frames), 0.005 * kFullScale);
  EXPECT_EQ(samples[samples.size() - 2], 0);
  EXPECT_EQ(samples[samples.size() - 1], 0);
}

TEST_P(Sample, HitsAtOnceAndDecaysOrSwellsIntoItsPeak) {
  const SampleCase& c = GetParam();
  const auto loudest = std::max_element(samples.begin(), samples.end(),
                                        [](int a, int b) { return std::abs(a) < std::abs(b); });
  const int peakFrame = static_cast<int>(loudest - samples.begin()) / 2;
  const double peakMs = 1000.0 * peakFrame / kRate;
  if (c.swells) {
    EXPECT_GE(peakMs, 100.0);
    EXPECT_LE(peakMs, 290.0);
    EXPECT_LT(Level(kRate / 200), 0.3 * Level(peakFrame));  // it starts quiet
  } else {
    EXPECT_LE(peakMs, 30.0);
    EXPECT_LT(Level(peakFrame + kRate / 10), c.maxLevelLater * Level(peakFrame));
  }
}

INSTANTIATE_TEST_SUITE_P(Slots, Sample, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<SampleCase>& info) {
                           return "Slot" + std::to_string(info.param.slot);
                         });

TEST(SampleGenerator, RebuildsTheCommittedFilesByteForByte) {
  const std::filesystem::path dir =
      std::filesystem::path(testing::TempDir()) /
      ("ostinel-samples-" +
       std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
  const std::string command = "\"" OSTINEL_MAKE_SAMPLES "\" \"" + dir.string() + "\"";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  for (const SampleCase& c : kCases) {
    const std::vector<unsigned char> built = ReadBytes(dir / FileName(c.slot));
    EXPECT_FALSE(built.empty()) << FileName(c.slot);
    EXPECT_TRUE(built == ReadBytes(std::filesystem::path(OSTINEL_SOURCE_DIR) / "resources/samples" /
                                   FileName(c.slot)))
        << FileName(c.slot) << " differs from the generator's output";
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
