// The hack's command line (XScreenSaver's conventions, the settings' ranges, refusals) and the
// frame it shows.
#include "linux/hack_options.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "linux/heard_frames.h"

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
TEST(HeardFrames, ShowsTheLatestFrameOfTheMomentHeardNeverGoingBack) {
  struct Step {
    const char* what;
    std::vector<double> added;  // frames run, named by their offsets
    double heardMs;
    double shown;  // NAN: nothing new to draw
    double nextHeardMs;
  };
  const double kNone = NAN, kNever = INFINITY;
  const Step steps[] = {
      {"nothing run yet", {}, -40, kNone, kNever},
      {"the first frame, before it is heard", {0}, -40, 0, kNever},
      {"shown once", {}, -30, kNone, kNever},
      {"frames run ahead of the sound: still the first", {16, 33}, 10, kNone, 16},
      {"the one heard", {}, 16, 16, 33},
      {"frames heard meanwhile are passed over", {50, 66}, 60, 50, 66},
      {"the latency grew: the picture waits, never going back", {83}, 40, kNone, 66},
      {"no draw for over a second: the frames heard by a second before the newest let go",
       {1100},
       40,
       83,
       1100},
  };
  HeardFrames frames;
  for (const Step& s : steps) {
    for (double offset : s.added) {
      Frame frame;
      frame.frameTimeMs = static_cast<std::uint32_t>(offset);
      frames.Add(offset, std::move(frame));
    }
    const Frame* shown = frames.ToShow(s.heardMs);
    if (std::isnan(s.shown)) {
      EXPECT_EQ(shown, nullptr) << s.what;
    } else {
      ASSERT_NE(shown, nullptr) << s.what;
      EXPECT_EQ(shown->frameTimeMs, s.shown) << s.what;
    }
    EXPECT_EQ(frames.NextHeardMs(), s.nextHeardMs) << s.what;
  }
}

}  // namespace
