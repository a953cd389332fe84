// Start-up: seeding, the process-wide values, the context's life and the one activity per mode.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/saver_context.h"
#include "app/startup.h"
#include "engine/random.h"
#include "fake_clock.h"
#include "fake_library_loader.h"
#include "fake_resources.h"
#include "simulated_sound.h"
#include "fake_settings_store.h"

namespace {

struct StartupRun {
  FakeClock clock;
  FakeSettingsStore settings;
  FakeLibraryLoader libraries;
  SimulatedSoundSystem sound;
  FakeResources resources;
  std::vector<std::string> activities;
  int contextTempoSeen = -1;

  int Start(const char* line, int showCommand = 5) {
    const auto seeContext = [this] {
      EXPECT_NE(saverContext, nullptr);
      if (saverContext != nullptr) {
        contextTempoSeen = saverContext->params[kTempoParam];
      }
    };
    const StartupServices services{
        clock,
        settings,
        libraries,
        sound,
        resources,
        [] { return WindowHandle{99}; },
        [this, seeContext](WindowHandle owner) {
          seeContext();
          activities.push_back("dialog " + std::to_string(owner));
        },
        [this, seeContext](WindowHandle parent, int show) {
          seeContext();
          activities.push_back("saver " + std::to_string(parent) + " " + std::to_string(show) +
                               " mode " + std::to_string(runMode));
        },
    };
    return SaverMain(reinterpret_cast<ModuleHandle>(0x400000), line, showCommand, services);
  }
};

}  // namespace

TEST(Startup, DispatchesOneActivityPerMode) {
  struct Case {
    const char* line;
    std::int32_t mode;
    std::vector<std::string> activities;
    bool passwordChange;
  };
  const Case cases[] = {
      {"ostinel.scr /s", kSaver, {"saver 0 5 mode 4"}, false},
      {"ostinel.scr /p 1234", kPreview, {"saver 1234 5 mode 3"}, false},
      {"ostinel.scr /c:5678", kConfigure, {"dialog 5678"}, false},
      {"ostinel.scr /c", kConfigure, {"dialog 99"}, false},
      {"ostinel.scr", kConfigure, {"dialog 0"}, false},
      {"ostinel.scr /a 77", kChangePassword, {}, true},
      {"ostinel.scr /x", kNoRunMode, {}, false},
      {"ostinel.scr /", kNoRunMode, {}, false},
  };
  for (const Case& c : cases) {
    StartupRun run;
    run.settings.SetDword(kSaverKey, "Param0", 3);
    run.libraries.libraries.insert("MPR.DLL");
    run.libraries.exports.insert("MPR.DLL!PwdChangePasswordA");
    EXPECT_EQ(run.Start(c.line), 0) << c.line;
    EXPECT_EQ(runMode, c.mode) << c.line;
    EXPECT_EQ(run.activities, c.activities) << c.line;
    const bool changed =
        !run.libraries.calls.empty() &&
        run.libraries.calls.back() == "free MPR.DLL" &&
        std::find(run.libraries.calls.begin(), run.libraries.calls.end(),
                  "call PwdChangePasswordA SCRSAVE 77 0 0") != run.libraries.calls.end();
    EXPECT_EQ(changed, c.passwordChange) << c.line;
    if (!c.activities.empty()) {
      EXPECT_EQ(run.contextTempoSeen, 3) << c.line << ": the activity sees the loaded settings";
    }
    EXPECT_EQ(saverContext, nullptr) << c.line << ": the context is deleted before return";
    // The settings are loaded in every mode, the system's first.
    ASSERT_GE(run.settings.calls.size(), 2u) << c.line;
    EXPECT_EQ(run.settings.calls[0], std::string("open ") + kSystemSaverKey) << c.line;
  }
}

TEST(Startup, SeedsFromTheMillisecondTimerAndRecordsTheProcessValues) {
  StartupRun run;
  run.clock.milliseconds = 123456789u;
  run.Start("\"C:\\Saver Dir\\ostinel.scr\" /p:-3");
  std::vector<int> afterStart;
  for (int i = 0; i < 4; ++i) {
    afterStart.push_back(DrawRandom());
  }
  SeedRandom(123456789u);
  for (int value : afterStart) {
    EXPECT_EQ(DrawRandom(), value);
  }
  EXPECT_EQ(moduleInstance, reinterpret_cast<ModuleHandle>(0x400000));
  EXPECT_EQ(parentWindow, -3);
}
