// A virtual clock: the test sets the times, and Sleep only advances them.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/clock.h"

class FakeClock final : public Clock {
 public:
  std::uint32_t milliseconds = 0;
  std::uint32_t tickCount = 0;
  std::vector<std::uint32_t> sleeps;

  std::uint32_t Milliseconds() override { return milliseconds; }
  std::uint32_t TickCount() override { return tickCount; }
  void Sleep(std::uint32_t duration) override {
    sleeps.push_back(duration);
    milliseconds += duration;
    tickCount += duration;
  }
};
