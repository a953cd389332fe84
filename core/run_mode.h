// The run modes: what the command line asks the saver to do.
#pragma once

#include <cstdint>

enum RunMode : std::int32_t {
  kNoRunMode = 0,
  kConfigure = 1,
  kChangePassword = 2,
  kPreview = 3,
  kSaver = 4,
};
