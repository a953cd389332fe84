// Start-up: the settings store, the password services and the one activity each command line runs
// (the generator's known draws pin the whole engine's tests).
#include <gtest/gtest.h>

#include "core/random.h"
#include "core/saver_context.h"
#include "core/shared_state.h"
#include "fakes.h"
#include "simulated_sound.h"
#include "windows/command_line.h"
#include "windows/password.h"
#include "windows/startup.h"

// What the registry makes of the values (sizes, defaults, the carried params) is tested under Wine
// against the real registry; here, what reaches the store and in what order.
TEST(Settings, SaveWritesRotateAndTheTenParamsInOrderAndNothingWithoutItsKey) {
  FakeSettingsStore store;
  SaverContext context;
  context.params[5] = 123;
  context.SaveSettings(store);
  Calls expected = {std::string("create ") + kSaverKey, "write Rotate"};
  for (int i = 0; i < kParamCount; ++i) {
    expected.push_back("write Param" + std::to_string(i));
  }
  expected.push_back("close");
  EXPECT_EQ(store.calls, expected);
  EXPECT_EQ(store.keys[kSaverKey]["Param5"], (std::vector<unsigned char>{123, 0, 0, 0}));
  store = FakeSettingsStore();
  store.failCreate = true;
  context.SaveSettings(store);
  EXPECT_EQ(store.calls, Calls{std::string("create ") + kSaverKey});
}

TEST(Password, TheCheckAsksOnlyOn9xAndEveryFailureLetsTheSaverClose) {
  struct Case {
    const char* what;
    std::int32_t platform;
    std::set<std::string> libraries, exports;
    std::int32_t answer, result;
    Calls calls;
  };
  const std::set<std::string> cpl = {"PASSWORD.CPL"};
  const std::set<std::string> verify = {"PASSWORD.CPL!VerifyScreenSavePwd"};
  const Calls asked = {"version", "load PASSWORD.CPL", "find VerifyScreenSavePwd", "verify 77",
                       "free PASSWORD.CPL"};
  // clang-format off
  const Case cases[] = {
      {"NT loads nothing", kPlatformWin32Nt, cpl, verify, 0, 1, {"version"}},
      {"no library", 1, {}, verify, 0, 1, {"version", "load PASSWORD.CPL"}},
      {"no export", 1, cpl, {}, 0, 1,
       {"version", "load PASSWORD.CPL", "find VerifyScreenSavePwd", "free PASSWORD.CPL"}},
      {"refused", 1, cpl, verify, 0, 0, asked},
      {"any non-zero answer unchanged", 1, cpl, verify, -7, -7, asked},
  };
  // clang-format on
  for (const Case& c : cases) {
    FakeLibraryLoader loader;
    loader.platformId = c.platform;
    loader.libraries = c.libraries;
    loader.exports = c.exports;
    loader.verifyResult = c.answer;
    EXPECT_EQ(VerifySaverPassword(loader, 77), c.result) << c.what;
    EXPECT_EQ(loader.calls, c.calls) << c.what;
    EXPECT_EQ(loader.loaded, 0) << c.what;
  }
}

TEST(Startup, EachCommandLineRunsItsOneActivityWithTheSettingsLoaded) {
  struct Case {
    const char* line;
    std::int32_t mode;
    std::string activity;
  };
  const Case cases[] = {
      {"ostinel.scr /s", kSaver, "saver 0 5"},
      {"ostinel.scr /p 1234", kPreview, "saver 1234 5"},
      {"ostinel.scr /c", kConfigure, "dialog 99"},
      {"ostinel.scr", kConfigure, "dialog 0"},
      {"ostinel.scr /a 77", kChangePassword, "change SCRSAVE 77 0 0"},
      {"ostinel.scr /x", kNoRunMode, ""},
  };
  for (const Case& c : cases) {
    FakeClock clock;
    FakeSettingsStore settings;
    FakeLibraryLoader libraries;
    SimulatedSoundSystem sound;
    FakeResources resources;
    clock.milliseconds = 10;
    settings.SetDword(kSaverKey, "Param0", 3);
    libraries.libraries = {"MPR.DLL"}, libraries.exports = {"MPR.DLL!PwdChangePasswordA"};
    std::string activity;
    const auto seen = [&](const std::string& what) {
      activity = saverContext != nullptr && saverContext->params[kTempoParam] == 3 ? what : "?";
    };
    // Each activity is handed the run's own services.
    // clang-format off
    const StartupServices services{clock, settings, libraries, sound, resources,
        [] { return WindowHandle{99}; },
        [&](SettingsStore& store, WindowHandle owner) {
          seen(&store == &settings ? "dialog " + std::to_string(owner) : "another store");
        },
        [&](LibraryLoader& loader, WindowHandle parent, int show) {
          seen(&loader == &libraries && frameClock == &clock
                   ? "saver " + std::to_string(parent) + " " + std::to_string(show)
                   : "other services");
        }};
    // clang-format on
    EXPECT_EQ(SaverMain(nullptr, c.line, 5, services), 0) << c.line;
    EXPECT_EQ(runMode, c.mode) << c.line;
    if (c.mode == kChangePassword) {
      activity = libraries.calls.size() > 2 ? libraries.calls[2] : "";
      EXPECT_EQ(libraries.loaded, 0);
    }
    EXPECT_EQ(activity, c.activity) << c.line;
    EXPECT_EQ(saverContext, nullptr) << c.line;
    EXPECT_EQ(DrawRandom(), 71) << c.line << ": seeded with the timer's 10 ms";
  }
}
