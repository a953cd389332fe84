// The RIFF WAVE walk, bounded by both the RIFF chunk's own size and the image's size.
#include "audio/wave.h"

#include <algorithm>

#include "base/little_endian.h"

namespace {

constexpr std::uint32_t kRiffId = 0x46464952;  // "RIFF"
constexpr std::uint32_t kWaveId = 0x45564157;  // "WAVE"
constexpr std::uint32_t kFmtId = 0x20746D66;   // "fmt "
constexpr std::uint32_t kDataId = 0x61746164;  // "data"

// The format tag up to the block alignment: what a usable format must hold.
constexpr std::uint32_t kShortestFormat = 14;

WaveFormat ReadFormat(const unsigned char* body, std::uint32_t size) {
  WaveFormat format;
  format.formatTag = Get16(body);
  format.channels = Get16(body + 2);
  format.samplesPerSec = Get32(body + 4);
  format.avgBytesPerSec = Get32(body + 8);
  format.blockAlign = Get16(body + 12);
  if (size >= 16) {
    format.bitsPerSample = Get16(body + 14);
  }
  if (size >= 18) {
    format.cbSize = Get16(body + 16);
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
  if (Get32(image) != kRiffId || Get32(image + 8) != kWaveId) {
    return false;
  }
  // Offsets are 64-bit so that no declared size can wrap a position back into the image.
  const std::uint64_t end = 8 + static_cast<std::uint64_t>(Get32(image + 4));
  const std::uint64_t readable = std::min<std::uint64_t>(end, imageBytes);

  bool haveFormat = false;
  bool haveData = false;
  std::uint64_t position = 12;
  while (position < end) {
    if (position + 8 > readable) {
      return false;
    }
    const std::uint32_t id = Get32(image + position);
    const std::uint32_t size = Get32(image + position + 4);
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

bool IsStereoPcm44100(const WaveFormat& format) {
  return format.formatTag == kWaveFormatPcm && format.channels == 2 &&
         format.samplesPerSec == 44100 && format.bitsPerSample == 16 && format.blockAlign == 4;
}
