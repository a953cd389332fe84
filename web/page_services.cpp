// The platform seams in a browser: the timer is performance.now(), the settings live in the
// page's localStorage, one value an item named after its key and value.
#include <emscripten.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "web/core.h"

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
  std::uint32_t TickCount() override { return Milliseconds(); }
  // A page cannot sleep; only the sound device's retries would wait, and the page's device never
  // asks for one.
  void Sleep(std::uint32_t milliseconds) override {
    const double until = emscripten_get_now() + milliseconds;
    while (emscripten_get_now() < until) {
    }
  }
};

// Keys are item-name prefixes: a key exists once it has been created.
class LocalStorageStore final : public SettingsStore {
 public:
  bool OpenKey(const char* path, Key* key) override {
    char marker[2];
    if (ostinel_storage_get(path, marker, sizeof marker) < 0) {
      return false;
    }
    return Remember(path, key);
  }
  bool CreateKey(const char* path, Key* key) override {
    return ostinel_storage_set(path, "") != 0 && Remember(path, key);
  }
  bool QueryValue(Key key, const char* name, unsigned char* data, std::uint32_t* size) override {
    char text[16];
    std::int64_t value = 0;
    const int length = ostinel_storage_get(ItemName(key, name).c_str(), text, sizeof text);
    if (length < 0 || length >= static_cast<int>(sizeof text) - 1 ||
        ReadNumber(text, 0, 0xFFFFFFFF, &value) != NumberReading::kOk || *size < 4) {
      return false;
    }
    Set32(data, static_cast<std::uint32_t>(value));
    *size = 4;
    return true;
  }
  bool WriteDword(Key key, const char* name, std::uint32_t value) override {
    return ostinel_storage_set(ItemName(key, name).c_str(), std::to_string(value).c_str()) != 0;
  }
  void CloseKey(Key) override {}

 private:
  // A key is the index of its path among those opened so far.
  bool Remember(const char* path, Key* key) {
    const auto found = std::find(paths_.begin(), paths_.end(), path);
    *key = static_cast<Key>(found - paths_.begin());
    if (found == paths_.end()) {
      paths_.emplace_back(path);
    }
    return true;
  }
  std::string ItemName(Key key, const char* name) const { return paths_.at(key) + "\\" + name; }

  std::vector<std::string> paths_;
};

}  // namespace

Clock& PlatformClock() {
  static PageClock clock;
  return clock;
}

SettingsStore& PlatformSettingsStore() {
  static LocalStorageStore store;
  return store;
}
