// Start-up: the generator's known draws, the settings store, the password services and the one
// activity each command line runs.
#include <gtest/gtest.h>

#include "app/command_line.h"
#include "app/password.h"
#include "app/saver_context.h"
#include "app/startup.h"
#include "engine/random.h"
#include "fakes.h"
#include "simulated_sound.h"

TEST(Random, SeedTenGivesTheKnownDraws) {
  SeedRandom(10);
  for (int expected : {71, 16899, 3272, 13694, 13697, 18296}) {
    EXPECT_EQ(DrawRandom(), expected);
  }
}

namespace {

SaverContext Loaded(FakeSettingsStore& store) {
  SaverContext context;
  context.LoadSystemSettings(store);
  context.LoadSettings(store);
  return context;
}

std::vector<std::int32_t> Stored(const SaverContext& c) {
  std::vector<std::int32_t> v{c.passwordDelay, c.mouseThreshold, c.useMouse};
  v.insert(v.end(), c.params, c.params + kParamCount);
  return v;
}

}  // namespace

TEST(Settings, LoadTakesValuesOfAtMostFourBytesAndKeepsDefaultsOtherwise) {
  struct Case {
    const char* what;
    std::vector<unsigned char> data;  // "Rotate" and "Param2", when given
    std::vector<std::int32_t> loaded;  // passwordDelay, mouseThreshold, useMouse, Param0..9
  };
  const Case cases[] = {
      {"no keys at all", {}, {15, 50, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"four bytes, any type", {0x34, 0x12, 0, 0}, {0, 50, 0x1234, 9, 0, 0x1234, -1, 0, 123}},
      {"two bytes fill the start", {0x34, 0x12}, {0, 50, 0x1234, 9, 0, 0x1234, -1, 0, 123}},
      {"five bytes are not taken", {2, 0, 0, 0, 9}, {0, 50, 1, 9, 0, 0, -1, 0, 123}},
      {"eight bytes are not taken", {1, 0, 0, 0, 0, 0, 0, 0}, {0, 50, 1, 9, 0, 0, -1, 0, 123}},
  };
  for (const Case& c : cases) {
    FakeSettingsStore store;
    if (!c.data.empty()) {
      store.SetDword(kSystemSaverKey, "Password Delay", 0);
      store.Set(kSaverKey, "Rotate", c.data);
      store.Set(kSaverKey, "Param2", c.data);
      store.SetDword(kSaverKey, "Param0", 9);
      store.SetDword(kSaverKey, "Param3", 0xffffffffu);
      store.SetDword(kSaverKey, "Param5", 123);
    }
    std::vector<std::int32_t> expected = c.loaded;
    expected.resize(3 + kParamCount, 0);
    EXPECT_EQ(Stored(Loaded(store)), expected) << c.what;
    EXPECT_EQ(store.openKeys, 0) << c.what;
  }
}

TEST(Settings, SaveWritesRotateAndTenParamsAsDwordsCarryingTheUnused) {
  FakeSettingsStore store;
  store.SetDword(kSaverKey, "Param5", 123);
  SaverContext context = Loaded(store);
  context.useMouse = 0;
  context.params[kTempoParam] = 4;
  store.calls.clear();
  context.SaveSettings(store);
  Calls expected = {std::string("create ") + kSaverKey, "write Rotate"};
  for (int i = 0; i < kParamCount; ++i) {
    expected.push_back("write Param" + std::to_string(i));
  }
  expected.push_back("close");
  EXPECT_EQ(store.calls, expected);
  for (const auto& [name, value] : store.keys.at(kSaverKey)) {
    EXPECT_TRUE(value.dword) << name;
  }
  EXPECT_EQ(Stored(Loaded(store)), (std::vector<std::int32_t>{15, 50, 0, 4, 0, 0, 0, 0, 123, 0,
                                                               0, 0, 0}));

  FakeSettingsStore refusing;
  refusing.failCreate = true;
  context.SaveSettings(refusing);
  EXPECT_EQ(refusing.calls, Calls{std::string("create ") + kSaverKey}) << "nothing written";
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
  const Case cases[] = {
      {"NT loads nothing", kPlatformWin32Nt, cpl, verify, 0, 1, {"version"}},
      {"no library", 1, {}, verify, 0, 1, {"version", "load PASSWORD.CPL"}},
      {"no export", 1, cpl, {}, 0, 1,
       {"version", "load PASSWORD.CPL", "find VerifyScreenSavePwd", "free PASSWORD.CPL"}},
      {"refused", 1, cpl, verify, 0, 0, asked},
      {"any non-zero answer unchanged", 1, cpl, verify, -7, -7, asked},
  };
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
    clock.milliseconds = 10;
    FakeSettingsStore settings;
    settings.SetDword(kSaverKey, "Param0", 3);
    FakeLibraryLoader libraries;
    libraries.libraries = {"MPR.DLL"};
    libraries.exports = {"MPR.DLL!PwdChangePasswordA"};
    SimulatedSoundSystem sound;
    FakeResources resources;
    std::string activity;
    const auto seen = [&](const std::string& what) {
      activity = saverContext != nullptr && saverContext->params[kTempoParam] == 3 ? what : "?";
    };
    const StartupServices services{
        clock, settings, libraries, sound, resources, [] { return WindowHandle{99}; },
        [&](WindowHandle owner) { seen("dialog " + std::to_string(owner)); },
        [&](WindowHandle parent, int show) {
          seen("saver " + std::to_string(parent) + " " + std::to_string(show));
        }};
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
