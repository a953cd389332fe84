// The hack's command line: XScreenSaver's conventions, the settings' ranges, refusals.
#include "linux/hack_options.h"

#include <gtest/gtest.h>

#include <vector>

#include "argv.h"

namespace {

bool Parse(const std::string& line, HackOptions* options, std::string* error) {
  const Argv words("ostinel", line);
  return ParseHackOptions(words.argc(), words.argv(), options, error);
}

struct Accepted {
  const char* line;
  HackTarget target;
  std::uint64_t windowId;
  std::uint32_t delayUs, framePeriodUs;
  std::int32_t tempo, transient, density, rotation;
};

TEST(HackOptions, AcceptsXScreenSaverConventionsAndTheSettingsRanges) {
  const Accepted cases[] = {
      {"", HackTarget::kOwnWindow, 0, 16666, 16666, 0, 0, 0, 0},
      {"-root", HackTarget::kRoot, 0, 16666, 16666, 0, 0, 0, 0},
      {"--root --window --verbose", HackTarget::kOwnWindow, 0, 16666, 16666, 0, 0, 0, 0},
      // 0, "as fast as possible": a frame a millisecond, the finest the frame times tell apart.
      {"-window-id=4294967295 --delay 0", HackTarget::kWindowId, 4294967295u, 0, 1000, 0, 0, 0, 0},
      {"--window-id 0x2a --delay 999", HackTarget::kWindowId, 42, 999, 1000, 0, 0, 0, 0},
      {"--tempo 6 --transient=2 -density 2 --rotation 2 --delay 10000000", HackTarget::kOwnWindow,
       0, 10000000, 10000000, 6, 2, 2, 2},
  };
  for (const Accepted& c : cases) {
    HackOptions options;
    std::string error;
    ASSERT_TRUE(Parse(c.line, &options, &error)) << c.line << ": " << error;
    EXPECT_EQ(options.target, c.target) << c.line;
    EXPECT_EQ(options.windowId, c.windowId) << c.line;
    EXPECT_EQ(options.delayUs, c.delayUs) << c.line;
    EXPECT_EQ(FramePeriodUs(options.delayUs), c.framePeriodUs) << c.line;
    const std::int32_t params[] = {c.tempo, c.transient, c.density, c.rotation};
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(options.settings.params[i], params[i]) << c.line << ", setting " << i;
    }
  }
}

TEST(HackOptions, RefusesWhatIsNotAValidValueNamingTheOption) {
  const std::pair<const char*, const char*> cases[] = {
      {"--tempo 7", "--tempo"},
      {"--tempo -1", "--tempo"},
      {"--transient 3", "--transient"},
      {"--density 1.5", "--density"},
      {"--rotation x", "--rotation"},
      {"--window-id 0", "--window-id"},
      {"--window-id 0x", "--window-id"},
      {"--seed 4294967296", "--seed"},
      {"--delay 10000001", "--delay"},
      {"--tempo", "--tempo"},
      {"--fps=1", "--fps"},
      {"--verbose=yes", "--verbose"},
      {"--bogus", "--bogus"},
      {"root", "root"},
      {"--use-mouse 1", "--use-mouse"},
  };
  for (const auto& [line, named] : cases) {
    HackOptions options;
    std::string error;
    EXPECT_FALSE(Parse(line, &options, &error)) << line;
    EXPECT_NE(error.find(named), std::string::npos) << line << ": " << error;
  }
}

// The frame on screen is the one being heard: the latest run at or before the moment heard (the
// first while there is none), never an older one than already shown, drawn once.
}  // namespace
