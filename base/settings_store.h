// The per-user settings store: the keys and values the saver reads and writes under the current
// user. The registry on Windows; an in-memory key in the tests.
#pragma once

#include <cstdint>

class SettingsStore {
 public:
  using Key = std::uintptr_t;

  virtual ~SettingsStore() = default;

  // Opens an existing key below the user's root; false when it is missing or cannot be opened.
  virtual bool OpenKey(const char* path, Key* key) = 0;
  // Opens the key, creating it and any missing key above it first.
  virtual bool CreateKey(const char* path, Key* key) = 0;
  // Reads a value's data into `data`, which holds `*size` bytes. As the registry does, it fails
  // when the value is missing or its data do not fit; on success `*size` is the data's length.
  virtual bool QueryValue(Key key, const char* name, unsigned char* data, std::uint32_t* size) = 0;
  // Writes a 32-bit REG_DWORD value.
  virtual bool WriteDword(Key key, const char* name, std::uint32_t value) = 0;
  virtual void CloseKey(Key key) = 0;
};

// The store of the platform the saver runs on.
SettingsStore& PlatformSettingsStore();
