// The progress line's figures and their format.
#include "headless/progress.h"

#include <cmath>
#include <cstdio>

namespace {

// M:SS, or H:MM:SS from an hour on.
std::string Duration(std::uint64_t seconds) {
  char text[32];
  if (seconds >= 3600) {
    std::snprintf(text, sizeof text, "%llu:%02u:%02u",
                  static_cast<unsigned long long>(seconds / 3600),
                  static_cast<unsigned>(seconds / 60 % 60), static_cast<unsigned>(seconds % 60));
  } else {
    std::snprintf(text, sizeof text, "%u:%02u", static_cast<unsigned>(seconds / 60),
                  static_cast<unsigned>(seconds % 60));
  }
  return text;
}

}  // namespace

std::string ProgressLine(std::uint64_t done, std::uint64_t total, std::uint32_t fps,
                         double elapsedSeconds) {
  char text[160];
  const unsigned percent = total == 0 ? 100 : static_cast<unsigned>(done * 100 / total);
  const int length = std::snprintf(text, sizeof text, "frame %llu of %llu, %u%%",
                                   static_cast<unsigned long long>(done),
                                   static_cast<unsigned long long>(total), percent);
  if (done > 0 && elapsedSeconds > 0 && fps > 0) {
    const double framesPerSecond = static_cast<double>(done) / elapsedSeconds;
    const std::uint64_t remaining = done < total ? total - done : 0;
    const auto left =
        static_cast<std::uint64_t>(std::ceil(static_cast<double>(remaining) / framesPerSecond));
    std::snprintf(text + length, sizeof text - static_cast<std::size_t>(length),
                  ", %.1fx real time, %s left", framesPerSecond / fps, Duration(left).c_str());
  }
  return text;
}
