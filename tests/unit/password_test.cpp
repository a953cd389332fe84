// The password services against a fake system: what is loaded, what is called, what comes back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/password.h"
#include "fake_library_loader.h"

namespace {

using Calls = std::vector<std::string>;

struct VerifyCase {
  const char* what;
  std::int32_t platformId;
  bool hasLibrary;
  bool hasExport;
  std::int32_t answer;
  std::int32_t expected;
  Calls calls;
};

}  // namespace

TEST(VerifySaverPassword, FollowsThePlatformAndEveryFailureMeansYes) {
  const VerifyCase cases[] = {
      {"NT loads nothing", kPlatformWin32Nt, true, true, 0, 1, {"version"}},
      {"no PASSWORD.CPL", 1, false, true, 0, 1, {"version", "load PASSWORD.CPL"}},
      {"no export",
       1,
       true,
       false,
       0,
       1,
       {"version", "load PASSWORD.CPL", "find VerifyScreenSavePwd", "free PASSWORD.CPL"}},
      {"refused",
       1,
       true,
       true,
       0,
       0,
       {"version", "load PASSWORD.CPL", "find VerifyScreenSavePwd",
        "call VerifyScreenSavePwd 4660", "free PASSWORD.CPL"}},
      {"any non-zero passes unchanged",
       1,
       true,
       true,
       -7,
       -7,
       {"version", "load PASSWORD.CPL", "find VerifyScreenSavePwd",
        "call VerifyScreenSavePwd 4660", "free PASSWORD.CPL"}},
  };
  for (const VerifyCase& c : cases) {
    FakeLibraryLoader loader;
    loader.platformId = c.platformId;
    if (c.hasLibrary) {
      loader.libraries.insert("PASSWORD.CPL");
    }
    if (c.hasExport) {
      loader.exports.insert("PASSWORD.CPL!VerifyScreenSavePwd");
    }
    loader.verifyResult = c.answer;
    EXPECT_EQ(VerifySaverPassword(loader, 0x1234), c.expected) << c.what;
    EXPECT_EQ(loader.calls, c.calls) << c.what;
    EXPECT_EQ(loader.loadedCount, 0) << c.what;
  }
}

TEST(VerifySaverPassword, LoadsAfreshOnEveryCheck) {
  FakeLibraryLoader loader;
  loader.libraries.insert("PASSWORD.CPL");
  loader.exports.insert("PASSWORD.CPL!VerifyScreenSavePwd");
  loader.verifyResult = 0;
  EXPECT_EQ(VerifySaverPassword(loader, 5), 0);
  loader.verifyResult = 1;
  EXPECT_EQ(VerifySaverPassword(loader, 5), 1);
  int loads = 0;
  for (const std::string& call : loader.calls) {
    loads += call == "load PASSWORD.CPL";
  }
  EXPECT_EQ(loads, 2);
  EXPECT_EQ(loader.loadedCount, 0);
}

TEST(ChangeSaverPassword, PassesSaverNameThenParentAndAlwaysUnloads) {
  struct Case {
    const char* what;
    bool hasLibrary;
    bool hasExport;
    Calls calls;
  };
  const Case cases[] = {
      {"no MPR.DLL", false, true, {"load MPR.DLL"}},
      {"no export", true, false, {"load MPR.DLL", "find PwdChangePasswordA", "free MPR.DLL"}},
      {"changes",
       true,
       true,
       {"load MPR.DLL", "find PwdChangePasswordA", "call PwdChangePasswordA SCRSAVE 77 0 0",
        "free MPR.DLL"}},
  };
  for (const Case& c : cases) {
    FakeLibraryLoader loader;
    loader.platformId = kPlatformWin32Nt;  // the change is asked on every platform
    if (c.hasLibrary) {
      loader.libraries.insert("MPR.DLL");
    }
    if (c.hasExport) {
      loader.exports.insert("MPR.DLL!PwdChangePasswordA");
    }
    ChangeSaverPassword(loader, 77);
    EXPECT_EQ(loader.calls, c.calls) << c.what;
    EXPECT_EQ(loader.loadedCount, 0) << c.what;
  }
}
