// The clocks on Linux: milliseconds of the monotonic clock, which wrap at 2^32 as the Windows
// timers do, and a sleep.
#include <errno.h>
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
    const std::uint32_t ms = static_cast<std::uint32_t>(
        static_cast<std::uint64_t>(now.tv_sec) * 1000u +
        static_cast<std::uint64_t>(now.tv_nsec) / 1000000u);
    return ms + static_cast<double>(now.tv_nsec % 1000000) / 1e6;
  }
  std::uint32_t TickCount() override { return Milliseconds(); }
  void Sleep(std::uint32_t milliseconds) override {
    timespec wait{static_cast<time_t>(milliseconds / 1000),
                  static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
  }
};

}  // namespace

Clock& PlatformClock() {
  static MonotonicClock clock;
  return clock;
}
