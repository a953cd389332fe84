// The program's WAVE resources where the build embeds them (builds without executable resources).
#pragma once

struct EmbeddedWave {
  int resourceId;
  const unsigned char* begin;
  const unsigned char* end;
};

// Written by the build.
extern const EmbeddedWave kEmbeddedWaves[];
extern const int kEmbeddedWaveCount;
