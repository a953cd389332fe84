// The in-memory settings store of the tests.
#include "fake_settings_store.h"

#include <algorithm>
#include <cctype>
#include <cstring>

bool FakeSettingsStore::CaseLess::operator()(const std::string& a, const std::string& b) const {
  return std::lexicographical_compare(
      a.begin(), a.end(), b.begin(), b.end(), [](unsigned char x, unsigned char y) {
        return std::tolower(x) < std::tolower(y);
      });
}

void FakeSettingsStore::SetDword(const std::string& path, const std::string& name,
                                 std::uint32_t value) {
  Value& stored = keys_[path][name];
  stored.type = kRegDword;
  stored.data = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                 static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
}

void FakeSettingsStore::SetBytes(const std::string& path, const std::string& name,
                                 std::vector<unsigned char> data) {
  Value& stored = keys_[path][name];
  stored.type = kRegBinary;
  stored.data = std::move(data);
}

SettingsStore::Key FakeSettingsStore::Handle(const std::string& path) {
  handles_.push_back(path);
  ++openKeys;
  return handles_.size();
}

bool FakeSettingsStore::OpenKey(const char* path, Key* key) {
  calls.push_back(std::string("open ") + path);
  if (!HasKey(path)) {
    return false;
  }
  *key = Handle(path);
  return true;
}

bool FakeSettingsStore::CreateKey(const char* path, Key* key) {
  calls.push_back(std::string("create ") + path);
  if (failCreate) {
    return false;
  }
  AddKey(path);
  *key = Handle(path);
  return true;
}

bool FakeSettingsStore::QueryValue(Key key, const char* name, unsigned char* data,
                                   std::uint32_t* size) {
  calls.push_back(std::string("query ") + name);
  const Values& values = keys_.at(handles_.at(key - 1));
  const auto found = values.find(name);
  if (found == values.end()) {
    return false;
  }
  const std::vector<unsigned char>& stored = found->second.data;
  if (stored.size() > *size) {
    *size = static_cast<std::uint32_t>(stored.size());
    return false;
  }
  if (!stored.empty()) {
    std::memcpy(data, stored.data(), stored.size());
  }
  *size = static_cast<std::uint32_t>(stored.size());
  return true;
}

bool FakeSettingsStore::WriteDword(Key key, const char* name, std::uint32_t value) {
  calls.push_back(std::string("write ") + name);
  SetDword(handles_.at(key - 1), name, value);
  return true;
}

void FakeSettingsStore::CloseKey(Key key) {
  calls.push_back("close");
  (void)handles_.at(key - 1);
  --openKeys;
}
