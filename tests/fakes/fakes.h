// Fakes of the platform seams for the native tests: a virtual clock, resources and settings held in
// memory, a scriptable library loader and window host, and RIFF WAVE images built chunk by chunk.
#pragma once

#include <cstdint>
#include <cstring>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/library_loader.h"
#include "base/little_endian.h"
#include "base/program_resources.h"
#include "base/settings_store.h"
#include "core/input_rules.h"

using Calls = std::vector<std::string>;

class FakeClock final : public Clock {
 public:
  std::uint32_t milliseconds = 0;
  std::vector<std::uint32_t> sleeps;
  std::uint32_t Milliseconds() override { return milliseconds; }
  std::uint32_t TickCount() override { return milliseconds; }
  void Sleep(std::uint32_t ms) override {
    sleeps.push_back(ms);
    milliseconds += ms;
  }
};

class FakeResources final : public ProgramResources {
 public:
  std::map<int, std::vector<unsigned char>> waves;
  std::vector<int> asked;
  const unsigned char* FindWave(int id, std::size_t* bytes) override {
    asked.push_back(id);
    const auto found = waves.find(id);
    if (found == waves.end()) {
      return nullptr;
    }
    *bytes = found->second.size();
    return found->second.data();
  }
};

// The registry as the saver uses it: keys of values, each value its bytes; every call logged.
class FakeSettingsStore final : public SettingsStore {
 public:
  std::map<std::string, std::map<std::string, std::vector<unsigned char>>> keys;
  bool failCreate = false;
  Calls calls;

  void SetDword(const std::string& path, const std::string& name, std::uint32_t v) {
    keys[path][name].clear();
    Put32(&keys[path][name], v);
  }
  bool OpenKey(const char* path, Key* key) override {
    calls.push_back(std::string("open ") + path);
    return keys.count(path) != 0 && Opened(path, key);
  }
  bool CreateKey(const char* path, Key* key) override {
    calls.push_back(std::string("create ") + path);
    return !failCreate && Opened(path, key);
  }
  bool QueryValue(Key key, const char* name, unsigned char* data, std::uint32_t* size) override {
    const auto& values = keys[handles_.at(key - 1)];
    const auto found = values.find(name);
    if (found == values.end() || found->second.size() > *size) {
      return false;
    }
    std::memcpy(data, found->second.data(), found->second.size());
    *size = static_cast<std::uint32_t>(found->second.size());
    return true;
  }
  bool WriteDword(Key key, const char* name, std::uint32_t value) override {
    calls.push_back(std::string("write ") + name);
    SetDword(handles_.at(key - 1), name, value);
    return true;
  }
  void CloseKey(Key) override { calls.push_back("close"); }

 private:
  bool Opened(const std::string& path, Key* key) {
    handles_.push_back(path);
    *key = handles_.size();
    return true;
  }
  std::vector<std::string> handles_;
};

// A system of libraries and exports that a test lays out; the exported functions log their calls.
class FakeLibraryLoader final : public LibraryLoader {
 public:
  std::int32_t platformId = 1;      // the 9x family unless a test says otherwise
  std::set<std::string> libraries;  // file names that load
  std::set<std::string> exports;    // "LIBRARY!Function"
  std::int32_t verifyResult = 1;
  Calls calls;
  int loaded = 0;

  FakeLibraryLoader() { current = this; }
  std::int32_t PlatformId() override {
    calls.push_back("version");
    return platformId;
  }
  Library Load(const char* name) override {
    calls.push_back(std::string("load ") + name);
    if (libraries.count(name) == 0) {
      return nullptr;
    }
    names_.push_back(name);
    ++loaded;
    return reinterpret_cast<Library>(names_.size());
  }
  Proc Find(Library library, const char* name) override {
    calls.push_back(std::string("find ") + name);
    if (exports.count(NameOf(library) + "!" + name) == 0) {
      return nullptr;
    }
    return std::string(name) == "VerifyScreenSavePwd" ? reinterpret_cast<Proc>(&Verify)
                                                      : reinterpret_cast<Proc>(&Change);
  }
  void Free(Library library) override {
    calls.push_back("free " + NameOf(library));
    --loaded;
  }

 private:
  std::string NameOf(Library library) const {
    return names_.at(reinterpret_cast<std::uintptr_t>(library) - 1);
  }
  static std::int32_t OSTINEL_WINAPI Verify(void* window) {
    current->calls.push_back("verify " + std::to_string(reinterpret_cast<std::intptr_t>(window)));
    return current->verifyResult;
  }
  static std::uint32_t OSTINEL_WINAPI Change(const char* name, void* parent, std::uint32_t a,
                                             std::uint32_t b) {
    current->calls.push_back("change " + std::string(name) + " " +
                             std::to_string(reinterpret_cast<std::intptr_t>(parent)) + " " +
                             std::to_string(a) + " " + std::to_string(b));
    return 0;
  }
  static inline FakeLibraryLoader* current = nullptr;
  std::vector<std::string> names_;
};

class FakeWindowHost final : public WindowHost {
 public:
  SaverPoint cursor;
  std::int32_t passwordAnswer = 1;
  bool arrow = true;
  Calls calls;

  SaverPoint CursorPos() override { return cursor; }
  void SendSetCursor(WindowHandle) override { calls.push_back("set cursor"); }
  void SetCursorVisible(bool showArrow) override { arrow = showArrow; }
  void Destroy(WindowHandle) override { calls.push_back("destroy"); }
  void PostQuit() override { calls.push_back("quit"); }
  std::int32_t VerifyPassword(WindowHandle) override {
    calls.push_back("password");
    return passwordAnswer;
  }
};

// A RIFF WAVE image: "RIFF", its size (or `riffSize`), "WAVE", then chunks, each padded to even
// length. A chunk's declared size may differ from its body.
struct TestChunk {
  std::string id;
  std::vector<unsigned char> body;
  std::int64_t declaredSize = -1;
};

inline std::vector<unsigned char> RiffImage(const std::vector<TestChunk>& chunks,
                                            std::int64_t riffSize = -1) {
  std::vector<unsigned char> out = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
  for (const TestChunk& c : chunks) {
    out.insert(out.end(), c.id.begin(), c.id.end());
    Put32(&out, static_cast<std::uint32_t>(c.declaredSize >= 0 ? c.declaredSize : c.body.size()));
    out.insert(out.end(), c.body.begin(), c.body.end());
    out.resize(out.size() + c.body.size() % 2);
  }
  Set32(&out[4], static_cast<std::uint32_t>(riffSize >= 0 ? riffSize : out.size() - 8));
  return out;
}

// A "fmt " body of 44100 Hz stereo 16-bit PCM, cut or padded to `bytes`.
inline std::vector<unsigned char> PcmFormat(std::size_t bytes = 16) {
  std::vector<unsigned char> body = {1, 0, 2, 0, 0x44, 0xAC, 0, 0, 0x10, 0xB1, 2, 0, 4, 0, 16, 0};
  body.resize(bytes, 0);
  return body;
}

inline std::vector<unsigned char> PcmWave(const std::vector<unsigned char>& samples) {
  return RiffImage({{"fmt ", PcmFormat()}, {"data", samples}});
}
