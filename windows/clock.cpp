// The Windows clocks: the multimedia timer, the tick count, Sleep.
#include <windows.h>
#include <mmsystem.h>

#include "base/clock.h"

namespace {

class Win32Clock final : public Clock {
 public:
  std::uint32_t Milliseconds() override { return timeGetTime(); }
  std::uint32_t TickCount() override { return GetTickCount(); }
  void Sleep(std::uint32_t milliseconds) override { ::Sleep(milliseconds); }
};

}  // namespace

Clock& PlatformClock() {
  static Win32Clock clock;
  return clock;
}
