// The clocks the saver reads and its one way of waiting: the multimedia millisecond timer, the
// system tick count and Sleep on Windows; a virtual clock in the tests.
#pragma once

#include <chrono>
#include <cstdint>
#include <thread>

class Clock {
 public:
  virtual ~Clock() = default;

  // The millisecond timer (timeGetTime): drives the step clock and seeds the generator.
  virtual std::uint32_t Milliseconds() = 0;
  // The same timer with its fraction, within [0, 2^32): where a mix of our own places instants.
  // A clock that knows no finer time gives its Milliseconds().
  virtual double PreciseMilliseconds() { return Milliseconds(); }
  // The system tick count (GetTickCount): measures the password grace period. Where the platform
  // has no second counter, it is the timer.
  virtual std::uint32_t TickCount() { return Milliseconds(); }
  virtual void Sleep(std::uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }
};

// The clock of a saver whose frames keep a time of their own (a render, the page): it reads the
// time the shell set, that of the frame being run.
class FrameTimeClock final : public Clock {
 public:
  std::uint32_t now = 0;

  std::uint32_t Milliseconds() override { return now; }
};

// The clock of the platform the saver runs on.
Clock& PlatformClock();
