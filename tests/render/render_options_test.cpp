// ostinel-render's command line: the defaults, every option's accepted values and limits, and the
// messages for what is refused.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tools/render/render_options.h"

namespace {

bool Parse(std::vector<std::string> args, RenderOptions* options, std::string* error) {
  args.insert(args.begin(), "ostinel-render");
  std::vector<const char*> argv;
  for (const std::string& arg : args) {
    argv.push_back(arg.c_str());
  }
  return ParseRenderOptions(static_cast<int>(argv.size()), argv.data(), options, error);
}

TEST(RenderOptionsTest, NoArgumentsGiveTheDefaults) {
  RenderOptions options;
  std::string error;
  ASSERT_TRUE(Parse({}, &options, &error)) << error;
  EXPECT_EQ(options.durationMs, 8000u);
  EXPECT_EQ(options.fps, 60u);
  EXPECT_EQ(options.startMs, 0u);
  EXPECT_FALSE(options.seedGiven);
  EXPECT_EQ(options.tempo, 0);
  EXPECT_EQ(options.transient, 0);
  EXPECT_EQ(options.density, 0);
  EXPECT_EQ(options.rotation, 0);
  EXPECT_EQ(options.width, 1280);
  EXPECT_EQ(options.height, 720);
  EXPECT_EQ(options.outDir, "out/render");
  EXPECT_TRUE(options.events.empty());
  EXPECT_FALSE(options.help);
  EXPECT_EQ(RenderFrameCount(options), 480u);
  EXPECT_EQ(RenderFrameInterval(options), 60u);
}

TEST(RenderOptionsTest, AcceptedValues) {
  struct Case {
    std::vector<std::string> args;
    std::function<bool(const RenderOptions&)> holds;
    const char* what;
  };
  const Case cases[] = {
      {{"--seconds", "20"}, [](auto& o) { return o.durationMs == 20000; }, "whole seconds"},
      {{"--seconds", "2.5"}, [](auto& o) { return o.durationMs == 2500; }, "a decimal"},
      {{"--seconds=0.125"}, [](auto& o) { return o.durationMs == 125; }, "=value, 3 places"},
      {{"--seconds", "0.001"}, [](auto& o) { return o.durationMs == 1; }, "one millisecond"},
      {{"--seconds", "21600"}, [](auto& o) { return o.durationMs == 21600000; }, "six hours"},
      {{"--fps", "1"}, [](auto& o) { return o.fps == 1; }, "slowest fps"},
      {{"--fps", "1000"}, [](auto& o) { return o.fps == 1000; }, "fastest fps"},
      {{"--start-ms", "4294967295"},
       [](auto& o) { return o.startMs == 4294967295u; },
       "the timer's last millisecond"},
      {{"--seed", "0"}, [](auto& o) { return o.seedGiven && o.seed == 0; }, "seed 0 counts"},
      {{"--seed", "4294967295"}, [](auto& o) { return o.seed == 4294967295u; }, "largest seed"},
      {{"--tempo", "6", "--transient", "2", "--density", "1", "--rotation", "2"},
       [](auto& o) {
         return o.tempo == 6 && o.transient == 2 && o.density == 1 && o.rotation == 2;
       },
       "the four settings"},
      {{"--tempo", "5", "--tempo", "0"}, [](auto& o) { return o.tempo == 0; }, "the last wins"},
      {{"--size", "160x120"}, [](auto& o) { return o.width == 160 && o.height == 120; }, "size"},
      {{"--size", "1x8192"}, [](auto& o) { return o.width == 1 && o.height == 8192; }, "limits"},
      {{"--out", "/tmp/x y"}, [](auto& o) { return o.outDir == "/tmp/x y"; }, "out"},
      {{"--frame-every", "1"}, [](auto& o) { return RenderFrameInterval(o) == 1; }, "every frame"},
      {{"--fps", "30"}, [](auto& o) { return RenderFrameInterval(o) == 30; }, "once a second"},
      {{"--help"}, [](auto& o) { return o.help; }, "help"},
      {{"-h", "--tempo", "2"}, [](auto& o) { return o.help && o.tempo == 2; }, "short help"},
  };
  for (const Case& c : cases) {
    RenderOptions options;
    std::string error;
    EXPECT_TRUE(Parse(c.args, &options, &error) && c.holds(options)) << c.what << ": " << error;
  }
}

TEST(RenderOptionsTest, FrameCountIsSecondsTimesFpsRoundedDown) {
  struct Case {
    std::vector<std::string> args;
    std::uint64_t frames;
  };
  const Case cases[] = {
      {{"--seconds", "3", "--fps", "30"}, 90},
      {{"--seconds", "0.1", "--fps", "30"}, 3},  // exact, though 0.1 × 30 is not in binary
      {{"--seconds", "0.7", "--fps", "10"}, 7},
      {{"--seconds", "1.999", "--fps", "60"}, 119},
      {{"--seconds", "0.001", "--fps", "999"}, 0},
      {{"--seconds", "21600", "--fps", "1000"}, 21600000},
  };
  for (const Case& c : cases) {
    RenderOptions options;
    std::string error;
    ASSERT_TRUE(Parse(c.args, &options, &error)) << error;
    EXPECT_EQ(RenderFrameCount(options), c.frames) << c.args[1] << " s at " << c.args[3];
  }
}

TEST(RenderOptionsTest, EventsKeepTheirOrderTimeAndKey) {
  RenderOptions options;
  std::string error;
  ASSERT_TRUE(Parse({"--event", "5000:enter", "--event", "0:space", "--event=18446744073:down",
                     "--event", "7:rclick"},
                    &options, &error))
      << error;
  ASSERT_EQ(options.events.size(), 4u);
  EXPECT_EQ(options.events[0].atMs, 5000u);
  EXPECT_EQ(options.events[0].key, RenderKey::kEnter);
  EXPECT_EQ(options.events[1].atMs, 0u);
  EXPECT_EQ(options.events[1].key, RenderKey::kSpace);
  EXPECT_EQ(options.events[2].atMs, 18446744073u);
  EXPECT_EQ(options.events[2].key, RenderKey::kDown);
  EXPECT_EQ(options.events[3].atMs, 7u);
  EXPECT_EQ(options.events[3].key, RenderKey::kRightClick);
  // The trace names keys as the command line does.
  for (RenderKey key :
       {RenderKey::kSpace, RenderKey::kEnter, RenderKey::kDown, RenderKey::kRightClick}) {
    RenderOptions named;
    ASSERT_TRUE(Parse({"--event", std::string("1:") + RenderKeyName(key)}, &named, &error));
    EXPECT_EQ(named.events.at(0).key, key) << RenderKeyName(key);
  }
}

TEST(RenderOptionsTest, RefusedInputNamesTheProblem) {
  struct Case {
    std::vector<std::string> args;
    const char* message;
  };
  const Case cases[] = {
      {{"--tempo", "7"}, "--tempo must be from 0 to 6, not 7"},
      {{"--tempo", "-1"}, "--tempo must be from 0 to 6, not -1"},
      {{"--tempo", "x"}, "--tempo takes a whole number, not 'x'"},
      {{"--tempo", "3.0"}, "--tempo takes a whole number, not '3.0'"},
      {{"--tempo", " 3"}, "--tempo takes a whole number, not ' 3'"},
      {{"--tempo", "+3"}, "--tempo takes a whole number, not '+3'"},
      {{"--tempo", ""}, "--tempo takes a whole number, not ''"},
      {{"--tempo="}, "--tempo takes a whole number, not ''"},
      {{"--transient", "3"}, "--transient must be from 0 to 2, not 3"},
      {{"--density", "9"}, "--density must be from 0 to 2, not 9"},
      {{"--rotation", "-2"}, "--rotation must be from 0 to 2, not -2"},
      {{"--fps", "0"}, "--fps must be from 1 to 1000, not 0"},
      {{"--fps", "1001"}, "--fps must be from 1 to 1000, not 1001"},
      {{"--seed", "4294967296"}, "--seed must be from 0 to 4294967295, not 4294967296"},
      {{"--seed", "99999999999999999999999"},
       "--seed must be from 0 to 4294967295, not 99999999999999999999999"},
      {{"--seed", "0x10"}, "--seed takes a whole number, not '0x10'"},
      {{"--start-ms", "-1"}, "--start-ms must be from 0 to 4294967295, not -1"},
      {{"--frame-every", "0"}, "--frame-every must be from 1 to 4294967295, not 0"},
      {{"--seconds", "0"}, "--seconds must be more than 0 and at most 21600, not 0"},
      {{"--seconds", "-0.5"}, "--seconds must be more than 0 and at most 21600, not -0.5"},
      {{"--seconds", "21600.001"},
       "--seconds must be more than 0 and at most 21600, not 21600.001"},
      {{"--seconds", "1.0001"}, "--seconds takes a number with at most 3 decimals, not '1.0001'"},
      {{"--seconds", "1."}, "--seconds takes a number with at most 3 decimals, not '1.'"},
      {{"--seconds", ".5"}, "--seconds takes a number with at most 3 decimals, not '.5'"},
      {{"--seconds", "1e3"}, "--seconds takes a number with at most 3 decimals, not '1e3'"},
      {{"--size", "160"}, "--size takes WIDTHxHEIGHT, each from 1 to 8192, not '160'"},
      {{"--size", "160x"}, "--size takes WIDTHxHEIGHT, each from 1 to 8192, not '160x'"},
      {{"--size", "0x120"}, "--size takes WIDTHxHEIGHT, each from 1 to 8192, not '0x120'"},
      {{"--size", "160X120"}, "--size takes WIDTHxHEIGHT, each from 1 to 8192, not '160X120'"},
      {{"--size", "8193x1"}, "--size takes WIDTHxHEIGHT, each from 1 to 8192, not '8193x1'"},
      {{"--size", "16x12x1"}, "--size takes WIDTHxHEIGHT, each from 1 to 8192, not '16x12x1'"},
      {{"--event", "100"},
       "--event takes MS:KEY with KEY one of space, enter, down, rclick, not '100'"},
      {{"--event", "100:escape"},
       "--event takes MS:KEY with KEY one of space, enter, down, rclick, not '100:escape'"},
      {{"--event", "-5:space"},
       "--event takes MS:KEY with KEY one of space, enter, down, rclick, not '-5:space'"},
      {{"--event", ":space"},
       "--event takes MS:KEY with KEY one of space, enter, down, rclick, not ':space'"},
      {{"--event", "5:Space"},
       "--event takes MS:KEY with KEY one of space, enter, down, rclick, not '5:Space'"},
      {{"--out", ""}, "--out takes a directory"},
      {{"--tempo"}, "--tempo needs a value"},
      {{"--bogus", "1"}, "unknown option '--bogus'"},
      {{"--bogus"}, "unknown option '--bogus'"},
      {{"--Tempo", "1"}, "unknown option '--Tempo'"},
      {{"-t", "1"}, "unexpected argument '-t'"},
      {{"out"}, "unexpected argument 'out'"},
      {{"--"}, "unexpected argument '--'"},
  };
  for (const Case& c : cases) {
    RenderOptions options;
    std::string error;
    EXPECT_FALSE(Parse(c.args, &options, &error)) << c.message;
    EXPECT_EQ(error, c.message);
  }
}

}  // namespace
