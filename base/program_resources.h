// The program's own WAVE resources, found by numeric id: the executable's resources on Windows,
// images embedded by the build elsewhere.
#pragma once

#include <cstddef>

class ProgramResources {
 public:
  virtual ~ProgramResources() = default;
  // The first byte of WAVE resource `resourceId` and its size, valid for the life of the process;
  // null when there is no such resource.
  virtual const unsigned char* FindWave(int resourceId, std::size_t* bytes) = 0;
};

// The resources of the platform the program runs on.
ProgramResources& PlatformResources();
