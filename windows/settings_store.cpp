// The settings store over the registry, under HKEY_CURRENT_USER.
#include <windows.h>

#include "base/settings_store.h"

namespace {

HKEY AsHkey(SettingsStore::Key key) { return reinterpret_cast<HKEY>(key); }

class RegistrySettingsStore final : public SettingsStore {
 public:
  bool OpenKey(const char* path, Key* key) override {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_ALL_ACCESS, &opened) != ERROR_SUCCESS) {
      return false;
    }
    *key = reinterpret_cast<Key>(opened);
    return true;
  }

  bool CreateKey(const char* path, Key* key) override {
    HKEY created = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &created, nullptr) != ERROR_SUCCESS) {
      return false;
    }
    *key = reinterpret_cast<Key>(created);
    return true;
  }

  bool QueryValue(Key key, const char* name, unsigned char* data, std::uint32_t* size) override {
    DWORD length = *size;
    if (RegQueryValueExA(AsHkey(key), name, nullptr, nullptr, data, &length) != ERROR_SUCCESS) {
      return false;
    }
    *size = length;
    return true;
  }

  bool WriteDword(Key key, const char* name, std::uint32_t value) override {
    const DWORD data = value;
    return RegSetValueExA(AsHkey(key), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                          sizeof data) == ERROR_SUCCESS;
  }

  void CloseKey(Key key) override { RegCloseKey(AsHkey(key)); }
};

}  // namespace

SettingsStore& PlatformSettingsStore() {
  static RegistrySettingsStore store;
  return store;
}
