// Finding the PCM format and sample bytes inside a RIFF WAVE image in memory.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/sound_device.h"

struct ParsedWave {
  WaveFormat format;  // the first "fmt " chunk's fields; those past its end are 0
  const unsigned char* sampleData = nullptr;  // the "data" chunk's body, inside the image
  std::uint32_t sampleBytes = 0;
};

// Walks the chunks of the RIFF WAVE image at `riffStart` until it has seen a "fmt " chunk (the
// first one counts) and a "data" chunk, as they come. `imageBytes` is how much of the image may be
// read: nothing past it, nor past the RIFF chunk's declared end, is ever read or handed out.
bool ParseWave(const void* riffStart, std::size_t imageBytes, ParsedWave* wave);

// 44100 Hz stereo 16-bit PCM: what a mix of our own plays.
bool IsStereoPcm44100(const WaveFormat& format);
