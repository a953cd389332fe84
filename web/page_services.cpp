// The platform in a browser: the timer is performance.now(), and the settings live in the page's
// localStorage, each setting an item named after the saver's key and the value's name, holding
// its number in decimal.
#include "web/page_services.h"

#include <emscripten.h>

#include <cmath>
#include <cstdint>
#include <string>

extern "C" {
// localStorage's item `name` into `out` (at most `size` bytes with the ending 0): its length, or
// -1 when it is missing or storage cannot be used.
int ostinel_storage_get(const char* name, char* out, int size);
// Stores the item; false when storage cannot be used (disabled, full).
int ostinel_storage_set(const char* name, const char* value);
}

namespace {

class PageClock final : public Clock {
 public:
  std::uint32_t Milliseconds() override {
    return static_cast<std::uint32_t>(PreciseMilliseconds());
  }
  double PreciseMilliseconds() override { return std::fmod(emscripten_get_now(), kTimerSpanMs); }
};

std::string ItemName(const char* name) {
  return std::string(kSaverKey) + "\\" + name;
}

// The stored item `name` as a number within [min, max], or false.
bool ReadItem(const char* name, std::int64_t min, std::int64_t max, std::int64_t* value) {
  char text[16];
  const int length = ostinel_storage_get(ItemName(name).c_str(), text, sizeof text);
  return length >= 0 && length < static_cast<int>(sizeof text) - 1 &&
         ReadNumber(text, min, max, value) == NumberReading::kOk;
}

}  // namespace

Clock& PlatformClock() {
  static PageClock clock;
  return clock;
}

// Numbers were stored as unsigned 32-bit values at first, and signed ones since: both read back.
Settings LoadPageSettings() {
  Settings settings;
  for (const SettingInfo& setting : kSettings) {
    std::int64_t value = 0;
    if (ReadItem(setting.storedName, INT32_MIN, UINT32_MAX, &value)) {
      settings.Of(setting) = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    }
  }
  return settings;
}

bool SavePageSettings(const Settings& settings) {
  bool saved = true;
  for (const SettingInfo& setting : kSettings) {
    saved = ostinel_storage_set(ItemName(setting.storedName).c_str(),
                                std::to_string(settings.Of(setting)).c_str()) != 0 &&
            saved;
  }
  return saved;
}

PageVolume LoadPageVolume() {
  PageVolume volume;
  std::int64_t value = 0;
  if (ReadItem("Volume", 0, 100, &value)) {
    volume.percent = static_cast<std::int32_t>(value);
  }
  if (ReadItem("Mute", 0, 1, &value)) {
    volume.muted = value == 1;
  }
  return volume;
}

bool SavePageVolume(const PageVolume& volume) {
  const bool saved =
      ostinel_storage_set(ItemName("Volume").c_str(), std::to_string(volume.percent).c_str()) != 0;
  return ostinel_storage_set(ItemName("Mute").c_str(), volume.muted ? "1" : "0") != 0 && saved;
}
