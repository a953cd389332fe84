// The WAVE writer: a 44-byte RIFF header patched with the sizes once the sound is complete.
#include "headless/wav_writer.h"

#include <algorithm>
#include <vector>

#include "base/little_endian.h"

namespace {

constexpr std::uint32_t kRate = 44100;
constexpr std::uint16_t kChannels = 2;
constexpr std::uint16_t kBytesPerFrame = 4;

void FillHeader(std::uint8_t header[44], std::uint32_t dataBytes) {
  std::copy_n("RIFF", 4, header);
  Set32(header + 4, 36 + dataBytes);
  std::copy_n("WAVEfmt ", 8, header + 8);
  Set32(header + 16, 16);
  Set16(header + 20, 1);  // PCM
  Set16(header + 22, kChannels);
  Set32(header + 24, kRate);
  Set32(header + 28, kRate * kBytesPerFrame);
  Set16(header + 32, kBytesPerFrame);
  Set16(header + 34, 16);
  std::copy_n("data", 4, header + 36);
  Set32(header + 40, dataBytes);
}

}  // namespace

WavWriter::~WavWriter() {
  if (file_ != nullptr) {
    std::fclose(file_);
  }
}

bool WavWriter::Open(const std::string& path) {
  file_ = std::fopen(path.c_str(), "wb");
  if (file_ == nullptr) {
    return false;
  }
  std::uint8_t header[44];
  FillHeader(header, 0);
  failed_ = std::fwrite(header, 1, sizeof header, file_) != sizeof header;
  dataBytes_ = 0;
  return !failed_;
}

bool WavWriter::Append(const std::int16_t* frames, std::size_t frameCount) {
  if (file_ == nullptr || failed_) {
    return false;
  }
  // Little-endian whatever the host.
  std::vector<std::uint8_t> bytes(frameCount * kBytesPerFrame);
  for (std::size_t i = 0; i < frameCount * kChannels; ++i) {
    Set16(&bytes[2 * i], static_cast<std::uint16_t>(frames[i]));
  }
  failed_ = std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size();
  dataBytes_ += bytes.size();
  // The RIFF sizes are 32-bit: about 6.7 hours of sound at most.
  if (dataBytes_ > 0xffffffffu - 36) {
    failed_ = true;
  }
  return !failed_;
}

bool WavWriter::Close() {
  if (file_ == nullptr) {
    return false;
  }
  std::uint8_t header[44];
  FillHeader(header, static_cast<std::uint32_t>(dataBytes_));
  if (!failed_) {
    failed_ = std::fseek(file_, 0, SEEK_SET) != 0 ||
              std::fwrite(header, 1, sizeof header, file_) != sizeof header;
  }
  failed_ = std::fclose(file_) != 0 || failed_;
  file_ = nullptr;
  return !failed_;
}
