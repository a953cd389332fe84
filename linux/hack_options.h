// The command line of the XScreenSaver hack: where to draw, the frame pacing, the saver's
// settings. Options take one or two leading dashes, and a value as "--name value" or
// "--name=value".
#pragma once

#include <cstdint>
#include <string>

#include "core/settings_table.h"

enum class HackTarget {
  kOwnWindow,  // --window (the default): a window of its own, which takes keys and mouse
  kRoot,       // --root: $XSCREENSAVER_WINDOW, else the root window
  kWindowId,   // --window-id ID: a given window, e.g. the settings program's preview
};

inline constexpr std::uint32_t kDefaultDelayUs = 16666;  // about 60 frames a second
inline constexpr std::uint32_t kMaxDelayUs = 10000000;
// The saver's frame times are whole milliseconds: a shorter --delay, 0 ("as fast as possible")
// included, runs a frame every millisecond.
inline constexpr std::uint32_t kShortestFramePeriodUs = 1000;

inline std::uint32_t FramePeriodUs(std::uint32_t delayUs) {
  return delayUs > kShortestFramePeriodUs ? delayUs : kShortestFramePeriodUs;
}

struct HackOptions {
  HackTarget target = HackTarget::kOwnWindow;
  std::uint64_t windowId = 0;
  std::string display;  // empty: $DISPLAY
  bool showFps = false;
  bool verbose = false;  // at the end, how the drums kept time, on stderr
  std::uint32_t delayUs = kDefaultDelayUs;
  Settings settings;  // tempo, transient, density and rotation from the options
  bool seedGiven = false;
  std::uint32_t seed = 0;
  bool version = false;
  bool help = false;
};

// Fills `options` from argv[1..argc-1], starting from the defaults of the settings table. On bad
// input returns false with a one-line message in `error`.
bool ParseHackOptions(int argc, const char* const* argv, HackOptions* options, std::string* error);

const char* HackUsage();
