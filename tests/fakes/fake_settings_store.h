// An in-memory per-user settings store that behaves as the registry does for what the saver uses,
// and records every call.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/settings_store.h"

class FakeSettingsStore final : public SettingsStore {
 public:
  static constexpr std::uint32_t kRegDword = 4;
  static constexpr std::uint32_t kRegBinary = 3;

  struct Value {
    std::uint32_t type = kRegBinary;
    std::vector<unsigned char> data;
  };
  // Key and value names ignore case, as the registry's do, and keep the case first written.
  struct CaseLess {
    bool operator()(const std::string& a, const std::string& b) const;
  };
  using Values = std::map<std::string, Value, CaseLess>;

  // Seeding and reading back.
  void AddKey(const std::string& path) { keys_[path]; }
  void SetDword(const std::string& path, const std::string& name, std::uint32_t value);
  void SetBytes(const std::string& path, const std::string& name,
                std::vector<unsigned char> data);
  bool HasKey(const std::string& path) const { return keys_.count(path) != 0; }
  const Values& ValuesOf(const std::string& path) const { return keys_.at(path); }

  bool failCreate = false;
  std::vector<std::string> calls;  // "open PATH", "query NAME", "write NAME", "close", ...
  int openKeys = 0;

  bool OpenKey(const char* path, Key* key) override;
  bool CreateKey(const char* path, Key* key) override;
  bool QueryValue(Key key, const char* name, unsigned char* data, std::uint32_t* size) override;
  bool WriteDword(Key key, const char* name, std::uint32_t value) override;
  void CloseKey(Key key) override;

 private:
  Key Handle(const std::string& path);

  std::map<std::string, Values, CaseLess> keys_;
  std::vector<std::string> handles_;  // handle n names handles_[n - 1]
};
