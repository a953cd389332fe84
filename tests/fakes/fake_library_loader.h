// A fake run-time library loader: a configurable system (platform, which libraries and exports
// exist), fake exported functions that record their arguments, and a log of every call.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "platform/library_loader.h"

class FakeLibraryLoader final : public LibraryLoader {
 public:
  FakeLibraryLoader();
  ~FakeLibraryLoader() override;

  std::int32_t platformId = 1;  // the 9x family unless a test says otherwise
  std::set<std::string> libraries;  // file names that load
  std::set<std::string> exports;    // "LIBRARY!Function" pairs that exist
  std::int32_t verifyResult = 1;    // what VerifyScreenSavePwd answers

  std::vector<std::string> calls;  // "version", "load NAME", "find NAME", "free NAME", "call ..."
  int loadedCount = 0;             // libraries loaded and not yet freed

  std::int32_t PlatformId() override;
  Library Load(const char* name) override;
  Proc Find(Library library, const char* name) override;
  void Free(Library library) override;

 private:
  static std::int32_t OSTINEL_WINAPI FakeVerify(void* window);
  static std::uint32_t OSTINEL_WINAPI FakeChange(const char* registryName, void* parent,
                                                 std::uint32_t, std::uint32_t);
  static FakeLibraryLoader* current_;

  std::vector<std::string> handles_;
};
