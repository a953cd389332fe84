// Start-up: the settings store, the password services and the one activity each command line runs
// (the generator's known draws pin the whole engine's tests).
#include <gtest/gtest.h>

#include "core/saver.h"
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
    std::string activity;  // the saver window's: run mode, parent, show command
  };
  const Case cases[] = {
      {"ostinel.scr /s", "saver 4 0 5"},
      {"ostinel.scr /p 1234", "saver 3 1234 5"},
      {"ostinel.scr /c", "dialog 99"},
      {"ostinel.scr", "dialog 0"},
      {"ostinel.scr /a 77", "change SCRSAVE 77 0 0"},
      {"ostinel.scr /x", ""},
  };
  const auto module = reinterpret_cast<ModuleHandle>(0x400000);
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
    const auto seen = [&](const SaverContext& context, const std::string& what) {
      activity = context.tempo() == 3 ? what : "?";
    };
    // Each activity is handed the module and the run's own services; the saver is seeded with the
    // timer's 10 ms, whose first draw is 71.
    // clang-format off
    const StartupServices services{clock, settings, libraries, sound, resources,
        [] { return WindowHandle{99}; },
        [&](ModuleHandle instance, SaverContext& context, SettingsStore& store,
            WindowHandle owner) {
          seen(context, instance == module && &store == &settings
                            ? "dialog " + std::to_string(owner) : "other services");
        },
        [&](ModuleHandle instance, Saver& saver, LibraryLoader& loader, WindowHandle parent,
            int show) {
          seen(saver.saverContext,
               instance == module && &loader == &libraries && &saver.frameClock == &clock &&
                       DrawRandom(saver.random) == 71
                   ? "saver " + std::to_string(saver.runMode) + " " + std::to_string(parent) +
                         " " + std::to_string(show)
                   : "other services");
        }};
    // clang-format on
    EXPECT_EQ(SaverMain(module, c.line, 5, services), 0) << c.line;
    if (c.line == std::string("ostinel.scr /a 77")) {
      activity = libraries.calls.size() > 2 ? libraries.calls[2] : "";
      EXPECT_EQ(libraries.loaded, 0);
    }
    EXPECT_EQ(activity, c.activity) << c.line;
  }
}
