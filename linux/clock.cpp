// The clock on Linux: milliseconds of the monotonic clock, which wrap at 2^32 as the Windows
// timers do.
#include <time.h>

#include "base/clock.h"

namespace {

class MonotonicClock final : public Clock {
 public:
  std::uint32_t Milliseconds() override {
    return static_cast<std::uint32_t>(PreciseMilliseconds());
  }
  double PreciseMilliseconds() override {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const std::uint32_t ms =
        static_cast<std::uint32_t>(static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                                   static_cast<std::uint64_t>(now.tv_nsec) / 1000000u);
    return ms + static_cast<double>(now.tv_nsec % 1000000) / 1e6;
  }
};

}  // namespace

Clock& PlatformClock() {
  static MonotonicClock clock;
  return clock;
}
