// The RIFF WAVE walk: where it finds the format and the samples, and what it refuses.
#include <gtest/gtest.h>

#include "audio/wave.h"
#include "wave_images.h"

namespace {

const std::vector<unsigned char> kFour = {1, 2, 3, 4};
const std::vector<unsigned char> kEight = {1, 2, 3, 4, 5, 6, 7, 8};

struct Case {
  const char* what;
  std::vector<unsigned char> image;
  bool parses;
  std::size_t dataOffset;  // where the samples start in the image
  std::uint32_t bytes;
  std::uint16_t channels = 2;
};

std::vector<Case> Cases() {
  const std::vector<unsigned char> valid = PcmWave(kFour);
  std::vector<unsigned char> notRiff = valid;
  notRiff[0] = 'X';
  std::vector<unsigned char> notWave = valid;
  notWave[8] = 'X';
  std::vector<unsigned char> mono = PcmFormat();
  mono[2] = 1;
  return {
      {"fmt then data", valid, true, 44, 4},
      {"other chunks skipped",
       RiffImage({{"LIST", {9, 9, 9, 9}}, {"fmt ", PcmFormat()}, {"junk", {7}}, {"data", kFour}}),
       true, 66, 4},
      {"odd chunk: next header one byte after its padded end",
       RiffImage({{"odd ", {1, 2, 3}}, {"fmt ", PcmFormat()}, {"data", kFour}}), true, 56, 4},
      {"data before fmt", RiffImage({{"data", kFour}, {"fmt ", PcmFormat()}}), true, 20, 4},
      {"empty data before fmt waits for the next data",
       RiffImage({{"data", {}}, {"fmt ", PcmFormat()}, {"data", kEight}}), true, 52, 8},
      {"empty data after fmt succeeds with 0 bytes",
       RiffImage({{"fmt ", PcmFormat()}, {"data", {}}}), true, 44, 0},
      {"fmt of 14 bytes is enough", RiffImage({{"fmt ", PcmFormat(14)}, {"data", kFour}}), true,
       42, 4},
      {"first fmt counts, later one skipped",
       RiffImage({{"fmt ", PcmFormat()}, {"fmt ", mono}, {"data", kFour}}), true, 68, 4},
      {"later fmt of any size skipped",
       RiffImage({{"fmt ", PcmFormat()}, {"fmt ", {1}}, {"data", kFour}}), true, 54, 4},
      {"first fmt of 13 bytes fails even before a good one",
       RiffImage({{"fmt ", PcmFormat(13)}, {"fmt ", PcmFormat()}, {"data", kFour}}), false, 0, 0},
      {"riff size 4: no chunk", RiffImage({{"fmt ", PcmFormat()}, {"data", kFour}}, 4), false, 0,
       0},
      {"no data", RiffImage({{"fmt ", PcmFormat()}}), false, 0, 0},
      {"no fmt", RiffImage({{"data", kFour}}), false, 0, 0},
      {"not RIFF", notRiff, false, 0, 0},
      {"not WAVE", notWave, false, 0, 0},
      {"shorter than a header", {'R', 'I', 'F', 'F', 4, 0, 0}, false, 0, 0},
      // Images that lie about their sizes must never be read past their end.
      {"riff size beyond the image",
       RiffImage({{"fmt ", PcmFormat()}, {"LIST", kFour}}, 0x7fffffff), false, 0, 0},
      {"data size beyond the image",
       RiffImage({{"fmt ", PcmFormat()}, {"data", kFour, 0x10000}}), false, 0, 0},
      {"data size beyond the riff chunk",
       RiffImage({{"fmt ", PcmFormat()}, {"data", kFour}, {"pad ", kEight}}, 38), false, 0, 0},
      {"fmt size beyond the image", RiffImage({{"fmt ", PcmFormat(), 4000}}), false, 0, 0},
      {"skipped chunk jumps past the end",
       RiffImage({{"junk", kFour, 0xfffffff0}, {"fmt ", PcmFormat()}, {"data", kFour}},
                 0xffffffff),
       false, 0, 0},
      {"chunk size that would wrap the position",
       RiffImage({{"junk", kFour, 0xffffffff}, {"fmt ", PcmFormat()}, {"data", kFour}},
                 0xffffffff),
       false, 0, 0},
  };
}

}  // namespace

TEST(ParseWave, FindsFormatAndSamplesWithinBounds) {
  for (const Case& c : Cases()) {
    // An exact-size heap copy, so that any read past the image is caught by AddressSanitizer.
    std::unique_ptr<unsigned char[]> image(new unsigned char[c.image.size()]);
    std::copy(c.image.begin(), c.image.end(), image.get());
    ParsedWave wave;
    ASSERT_EQ(ParseWave(image.get(), c.image.size(), &wave), c.parses) << c.what;
    if (!c.parses) {
      continue;
    }
    EXPECT_EQ(wave.sampleData, image.get() + c.dataOffset) << c.what;
    EXPECT_EQ(wave.sampleBytes, c.bytes) << c.what;
    EXPECT_EQ(wave.format.formatTag, kWaveFormatPcm) << c.what;
    EXPECT_EQ(wave.format.channels, c.channels) << c.what;
    EXPECT_EQ(wave.format.samplesPerSec, 44100u) << c.what;
    EXPECT_EQ(wave.format.blockAlign, 4u) << c.what;
  }
}

TEST(ParseWave, FormatFieldsPastAShortChunkAreZero) {
  const std::vector<unsigned char> image = RiffImage({{"fmt ", PcmFormat(14)}, {"data", kFour}});
  ParsedWave wave;
  ASSERT_TRUE(ParseWave(image.data(), image.size(), &wave));
  EXPECT_EQ(wave.format.bitsPerSample, 0u);
  EXPECT_EQ(wave.format.cbSize, 0u);
}
