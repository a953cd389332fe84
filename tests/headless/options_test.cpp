// ostinel-render's command line: accepted values, the frame count, and the messages for what is
// refused.
#include <gtest/gtest.h>

#include <functional>

#include "argv.h"
#include "headless/render_options.h"

namespace {

bool Parse(const std::vector<std::string>& args, RenderOptions* options, std::string* error) {
  const Argv line("ostinel-render", args);
  return ParseRenderOptions(line.argc(), line.argv(), options, error);
}

}  // namespace

TEST(RenderOptions, AcceptedValuesAndTheFramesTheyGive) {
  struct Case {
    std::vector<std::string> args;
    std::function<bool(const RenderOptions&)> holds;
  };
  const Case cases[] = {
      {{}, [](auto& o) { return RenderFrameCount(o) == 480 && RenderFrameInterval(o) == 60; }},
      {{"--seconds", "0.1", "--fps", "30"}, [](auto& o) { return RenderFrameCount(o) == 3; }},
      {{"--tempo", "6", "--transient", "2", "--density", "1", "--rotation", "2", "--tempo", "5"},
       [](auto& o) {
         return o.settings.tempo() == 5 && o.settings.transient() == 2 &&
                o.settings.density() == 1 && o.settings.rotation() == 2;
       }},
      {{"--size", "1x8192", "--frame-every", "1", "--out", "/tmp/x y"},
       [](auto& o) {
         return o.width == 1 && o.height == 8192 && RenderFrameInterval(o) == 1 &&
                o.outDir == "/tmp/x y";
       }},
      {{"--event", "5000:enter", "--event", "0:rclick"},
       [](auto& o) {
         return o.events.size() == 2 && o.events[0].atMs == 5000 &&
                o.events[0].key == RenderKey::kEnter && o.events[1].key == RenderKey::kRightClick;
       }},
  };
  for (const Case& c : cases) {
    RenderOptions options;
    std::string error;
    EXPECT_TRUE(Parse(c.args, &options, &error) && c.holds(options)) << error;
  }
}

TEST(RenderOptions, RefusedInputNamesTheProblem) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"--tempo", "7"}, "--tempo must be from 0 to 6, not 7"},
      {{"--tempo", "+3"}, "--tempo takes a whole number, not '+3'"},
      {{"--fps", "0"}, "--fps must be from 1 to 1000, not 0"},
      {{"--seed", "4294967296"}, "--seed must be from 0 to 4294967295, not 4294967296"},
      {{"--seconds", "0"}, "--seconds must be more than 0 and at most 21600, not 0"},
      {{"--seconds", "1.0001"}, "--seconds takes a number with at most 3 decimals, not '1.0001'"},
      {{"--size", "0x120"}, "--size takes WIDTHxHEIGHT, each from 1 to 8192, not '0x120'"},
      {{"--event", "5:Space"},
       "--event takes MS:KEY with KEY one of space, enter, down, rclick, not '5:Space'"},
      {{"--bogus", "1"}, "unknown option '--bogus'"},
      {{"out"}, "unexpected argument 'out'"},
  };
  for (const auto& [args, message] : cases) {
    RenderOptions options;
    std::string error;
    EXPECT_FALSE(Parse(args, &options, &error)) << message;
    EXPECT_EQ(error, message);
  }
}
