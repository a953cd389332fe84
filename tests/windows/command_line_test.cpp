// The screen-saver command-line grammar, as Windows and users write command lines.
#include <gtest/gtest.h>

#include "windows/command_line.h"

TEST(CommandLine, ParsesModeAndWindow) {
  constexpr WindowHandle kForeground = 4242;
  struct Case {
    const char* line;
    std::int32_t mode;
    WindowHandle window;
  };
  const Case cases[] = {
      {"ostinel.scr /s", kSaver, 0},
      {"ostinel.scr /S 1234", kSaver, 0},
      {"ostinel.scr s", kSaver, 0},
      {"ostinel.scr /p 1234", kPreview, 1234},
      {"ostinel.scr /p:1234", kPreview, 1234},
      {"ostinel.scr -P1234", kPreview, 1234},
      {"ostinel.scr /l : 1234", kPreview, 1234},
      {"ostinel.scr /p", kPreview, 0},
      {"ostinel.scr /c:5678", kConfigure, 5678},
      {"ostinel.scr /c 5678", kConfigure, 5678},
      {"ostinel.scr c:42", kConfigure, 42},
      {"ostinel.scr /c", kConfigure, kForeground},
      {"ostinel.scr /C:", kConfigure, kForeground},
      {"ostinel.scr /c   ", kConfigure, kForeground},
      {"ostinel.scr /config", kConfigure, 0},
      {"ostinel.scr /a 77", kChangePassword, 77},
      {"ostinel.scr /A", kChangePassword, 0},
      {"ostinel.scr /x", kNoRunMode, 0},
      {"ostinel.scr /1234", kNoRunMode, 0},
      {"ostinel.scr //s", kNoRunMode, 0},
      {"ostinel.scr /", kNoRunMode, 0},
      {"ostinel.scr -", kNoRunMode, 0},
      {"", kConfigure, 0},
      {"ostinel.scr", kConfigure, 0},
      {"\"C:\\Program Files\\ostinel.scr\"", kConfigure, 0},
      {"\"C:\\My Savers\\ostinel.scr\" /s", kSaver, 0},
      {"ostinel.scr   -S", kSaver, 0},
      {"ostinel.scr\t/s", kConfigure, 0},      // a tab is no separator: all of it is the name
      {"\"ostinel.scr\"\t/s", kNoRunMode, 0},  // after a quote the tab is the switch letter
      {"ostinel.scr /p -5", kPreview, -5},
      {"ostinel.scr /p +5", kPreview, 5},
      {"ostinel.scr /p 99999999999999999999999", kPreview, 2147483647},
      {"ostinel.scr /p -99999999999999999999999", kPreview, -2147483647 - 1},
      {"ostinel.scr /p 0x10", kPreview, 0},
  };
  for (const Case& c : cases) {
    int asked = 0;
    const ParsedCommandLine parsed = ParseCommandLine(c.line, [&] {
      ++asked;
      return kForeground;
    });
    EXPECT_EQ(parsed.runMode, c.mode) << "[" << c.line << "]";
    EXPECT_EQ(parsed.parentWindow, c.window) << "[" << c.line << "]";
    EXPECT_EQ(asked, c.window == kForeground ? 1 : 0) << "[" << c.line << "]";
  }
}
