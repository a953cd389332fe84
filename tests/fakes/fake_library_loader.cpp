// The fake run-time library loader of the tests.
#include "fake_library_loader.h"

#include <cstdint>

FakeLibraryLoader* FakeLibraryLoader::current_ = nullptr;

FakeLibraryLoader::FakeLibraryLoader() { current_ = this; }

FakeLibraryLoader::~FakeLibraryLoader() { current_ = nullptr; }

std::int32_t FakeLibraryLoader::PlatformId() {
  calls.push_back("version");
  return platformId;
}

LibraryLoader::Library FakeLibraryLoader::Load(const char* name) {
  calls.push_back(std::string("load ") + name);
  if (libraries.count(name) == 0) {
    return nullptr;
  }
  handles_.push_back(name);
  ++loadedCount;
  return reinterpret_cast<Library>(static_cast<std::uintptr_t>(handles_.size()));
}

LibraryLoader::Proc FakeLibraryLoader::Find(Library library, const char* name) {
  calls.push_back(std::string("find ") + name);
  const std::string& owner = handles_.at(reinterpret_cast<std::uintptr_t>(library) - 1);
  if (exports.count(owner + "!" + name) == 0) {
    return nullptr;
  }
  const std::string function = name;
  if (function == "VerifyScreenSavePwd") {
    return reinterpret_cast<Proc>(&FakeVerify);
  }
  if (function == "PwdChangePasswordA") {
    return reinterpret_cast<Proc>(&FakeChange);
  }
  return nullptr;
}

void FakeLibraryLoader::Free(Library library) {
  calls.push_back("free " + handles_.at(reinterpret_cast<std::uintptr_t>(library) - 1));
  --loadedCount;
}

std::int32_t OSTINEL_WINAPI FakeLibraryLoader::FakeVerify(void* window) {
  current_->calls.push_back("call VerifyScreenSavePwd " +
                            std::to_string(reinterpret_cast<std::intptr_t>(window)));
  return current_->verifyResult;
}

std::uint32_t OSTINEL_WINAPI FakeLibraryLoader::FakeChange(const char* registryName, void* parent,
                                                           std::uint32_t a, std::uint32_t b) {
  current_->calls.push_back("call PwdChangePasswordA " + std::string(registryName) + " " +
                            std::to_string(reinterpret_cast<std::intptr_t>(parent)) + " " +
                            std::to_string(a) + " " + std::to_string(b));
  return 0;
}
