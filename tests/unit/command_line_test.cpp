// The screen-saver command-line grammar, as Windows and users write command lines.
#include <gtest/gtest.h>

#include <string>

#include "app/command_line.h"

namespace {

constexpr WindowHandle kForeground = 4242;

struct Case {
  const char* line;
  std::int32_t mode;
  WindowHandle window;
};

const Case kCases[] = {
    // The switch forms.
    {"ostinel.scr /s", kSaver, 0},
    {"ostinel.scr /S 1234", kSaver, 0},
    {"ostinel.scr s", kSaver, 0},
    {"ostinel.scr /p 1234", kPreview, 1234},
    {"ostinel.scr /p:1234", kPreview, 1234},
    {"ostinel.scr -P1234", kPreview, 1234},
    {"ostinel.scr /l : 1234", kPreview, 1234},
    {"ostinel.scr /L::: :5", kPreview, 5},
    {"ostinel.scr /p", kPreview, 0},
    {"ostinel.scr /c:5678", kConfigure, 5678},
    {"ostinel.scr /c 5678", kConfigure, 5678},
    {"ostinel.scr c:42", kConfigure, 42},
    {"ostinel.scr /c", kConfigure, kForeground},
    {"ostinel.scr /C:", kConfigure, kForeground},
    {"ostinel.scr /c   ", kConfigure, kForeground},
    {"ostinel.scr /config", kConfigure, 0},
    {"ostinel.scr /c:\t7", kConfigure, 7},  // the number itself may start after white space
    {"ostinel.scr /a 77", kChangePassword, 77},
    {"ostinel.scr /A", kChangePassword, 0},
    {"ostinel.scr /a77xyz", kChangePassword, 77},
    // Nothing runs.
    {"ostinel.scr /x", kNoRunMode, 0},
    {"ostinel.scr /1234", kNoRunMode, 0},
    {"ostinel.scr //s", kNoRunMode, 0},
    {"ostinel.scr /", kNoRunMode, 0},
    {"ostinel.scr -", kNoRunMode, 0},
    {"ostinel.scr -/s", kNoRunMode, 0},
    // No argument.
    {"", kConfigure, 0},
    {"ostinel.scr", kConfigure, 0},
    {"ostinel.scr   ", kConfigure, 0},
    {"\"C:\\Program Files\\ostinel.scr\"", kConfigure, 0},
    {"\"C:\\unterminated quote /s", kConfigure, 0},
    // Program names with blanks, many blanks, tabs.
    {"\"C:\\My Savers\\ostinel.scr\" /s", kSaver, 0},
    {"\"C:\\My Savers\\ostinel.scr\"/p 9", kPreview, 9},
    {"ostinel.scr   -S", kSaver, 0},
    {"ostinel.scr\t/s", kConfigure, 0},           // a tab is no separator: all program name
    {"\"ostinel.scr\"\t/s", kNoRunMode, 0},       // after a quote, the tab is the switch letter
    {"\"ostinel.scr\" \t/s", kNoRunMode, 0},
    // Signs and the 32-bit range.
    {"ostinel.scr /p -5", kPreview, -5},
    {"ostinel.scr /p +5", kPreview, 5},
    {"ostinel.scr /p 2147483647", kPreview, 2147483647},
    {"ostinel.scr /p 2147483648", kPreview, 2147483647},
    {"ostinel.scr /p 99999999999999999999999", kPreview, 2147483647},
    {"ostinel.scr /p -2147483648", kPreview, -2147483647 - 1},
    {"ostinel.scr /p -99999999999999999999999", kPreview, -2147483647 - 1},
    {"ostinel.scr /p - 5", kPreview, 0},
    {"ostinel.scr /p 0x10", kPreview, 0},
};

void PrintTo(const Case& c, std::ostream* os) { *os << '[' << c.line << ']'; }

}  // namespace

class CommandLine : public ::testing::TestWithParam<Case> {};

TEST_P(CommandLine, ParsesModeAndWindow) {
  const Case& c = GetParam();
  int foregroundAsked = 0;
  const ParsedCommandLine parsed = ParseCommandLine(c.line, [&] {
    ++foregroundAsked;
    return kForeground;
  });
  EXPECT_EQ(parsed.runMode, c.mode) << "line: [" << c.line << "]";
  EXPECT_EQ(parsed.parentWindow, c.window) << "line: [" << c.line << "]";
  // The foreground window is asked for only when it becomes the owner.
  EXPECT_EQ(foregroundAsked, c.window == kForeground ? 1 : 0) << "line: [" << c.line << "]";
}

INSTANTIATE_TEST_SUITE_P(Grammar, CommandLine, ::testing::ValuesIn(kCases));
