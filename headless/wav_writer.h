// A streaming WAVE writer for the mixer's output: 44100 Hz, 16-bit, stereo PCM.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

class WavWriter {
 public:
  WavWriter() = default;
  ~WavWriter();
  WavWriter(const WavWriter&) = delete;
  WavWriter& operator=(const WavWriter&) = delete;

  // Creates the file with a header whose sizes Close fills in.
  bool Open(const std::string& path);
  // Appends `frameCount` interleaved left/right frames.
  bool Append(const std::int16_t* frames, std::size_t frameCount);
  // Writes the final sizes and closes the file; false if anything failed since Open.
  bool Close();

 private:
  std::FILE* file_ = nullptr;
  std::uint64_t dataBytes_ = 0;
  bool failed_ = false;
};
