// Building RIFF WAVE images for tests, chunk by chunk, with sizes that may lie.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TestChunk {
  std::string id;                   // four characters
  std::vector<unsigned char> body;  // written as given
  std::int64_t declaredSize = -1;   // -1: the body's true size
};

// "RIFF", size (or `riffSize` when given), "WAVE", then the chunks, each padded to even length.
std::vector<unsigned char> RiffImage(const std::vector<TestChunk>& chunks,
                                     std::int64_t riffSize = -1);

// A "fmt " body: PCM stereo 16-bit 44100 Hz, cut to `bytes` bytes.
std::vector<unsigned char> PcmFormat(std::size_t bytes = 16);

// A well-formed stereo 16-bit file with the given sample bytes.
std::vector<unsigned char> PcmWave(const std::vector<unsigned char>& samples);
