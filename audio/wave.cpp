// The RIFF WAVE walk, bounded by both the RIFF chunk's own size and the image's size.
#include "audio/wave.h"

#include <algorithm>

namespace {

constexpr std::uint32_t kRiffId = 0x46464952;  // "RIFF"
constexpr std::uint32_t kWaveId = 0x45564157;  // "WAVE"
constexpr std::uint32_t kFmtId = 0x20746D66;   // "fmt "
constexpr std::uint32_t kDataId = 0x61746164;  // "data"

// The format tag up to the block alignment: what a usable format must hold.
constexpr std::uint32_t kShortestFormat = 14;

std::uint32_t Word(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint16_t Half(const unsigned char* p) {
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

WaveFormat ReadFormat(const unsigned char* body, std::uint32_t size) {
  WaveFormat format;
  format.formatTag = Half(body);
  format.channels = Half(body + 2);
  format.samplesPerSec = Word(body + 4);
  format.avgBytesPerSec = Word(body + 8);
  format.blockAlign = Half(body + 12);
  if (size >= 16) {
    format.bitsPerSample = Half(body + 14);
  }
  if (size >= 18) {
    format.cbSize = Half(body + 16);
  }
  return format;
}

}  // namespace

bool ParseWave(const void* riffStart, std::size_t imageBytes, ParsedWave* wave) {
  *wave = ParsedWave();
  const auto* image = static_cast<const unsigned char*>(riffStart);
  if (image == nullptr || imageBytes < 12) {
    return false;
  }
  if (Word(image) != kRiffId || Word(image + 8) != kWaveId) {
    return false;
  }
  // Offsets are 64-bit so that no declared size can wrap a position back into the image.
  const std::uint64_t end = 8 + static_cast<std::uint64_t>(Word(image + 4));
  const std::uint64_t readable = std::min<std::uint64_t>(end, imageBytes);

  bool haveFormat = false;
  bool haveData = false;
  std::uint64_t position = 12;
  while (position < end) {
    if (position + 8 > readable) {
      return false;
    }
    const std::uint32_t id = Word(image + position);
    const std::uint32_t size = Word(image + position + 4);
    const std::uint64_t body = position + 8;
    const bool bodyReadable = body + size <= readable;

    if (id == kFmtId && !haveFormat) {
      if (size < kShortestFormat || !bodyReadable) {
        return false;
      }
      wave->format = ReadFormat(image + body, size);
      haveFormat = true;
      if (haveData && wave->sampleBytes != 0) {
        return true;
      }
    } else if (id == kDataId) {
      if (!bodyReadable) {
        return false;
      }
      wave->sampleData = image + body;
      wave->sampleBytes = size;
      haveData = true;
      if (haveFormat) {
        return true;
      }
    }
    position = body + ((static_cast<std::uint64_t>(size) + 1) & ~std::uint64_t{1});
  }
  return false;
}
