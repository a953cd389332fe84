// The screen-saver command-line grammar: program name, optional '-' or '/', one letter, a handle.
#include "windows/command_line.h"

#include <limits>
#include <string>

#include "base/options.h"

namespace {

// Only the space character separates; tabs are taken literally.
bool IsBlank(char c) {
  return c == ' ';
}

bool IsCSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Steps over the switch letter and any mix of blanks and colons after it.
const char* SkipToNumber(const char* p) {
  ++p;
  while (IsBlank(*p) || *p == ':') {
    ++p;
  }
  return p;
}

}  // namespace

std::int32_t ParseHandleNumber(const char* text) {
  const char* p = text;
  while (IsCSpace(*p)) {
    ++p;
  }
  std::string number;
  if (*p == '+' || *p == '-') {
    number = *p == '-' ? "-" : "";
    ++p;
  }
  const char* digits = p;
  while (*p >= '0' && *p <= '9') {
    ++p;
  }
  if (p == digits) {
    return 0;
  }
  number.append(digits, p);
  constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
  constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
  std::int64_t value = 0;
  if (ReadNumber(number, kMin, kMax, &value) == NumberReading::kOutOfRange) {
    value = number[0] == '-' ? kMin : kMax;  // saturated, as strtol does
  }
  return static_cast<std::int32_t>(value);
}

ParsedCommandLine ParseCommandLine(const char* commandLine,
                                   const std::function<WindowHandle()>& foregroundWindow) {
  ParsedCommandLine result;
  const char* p = commandLine != nullptr ? commandLine : "";

  // The program name: up to the closing quote, or up to the first blank.
  if (*p == '"') {
    ++p;
    while (*p != '\0' && *p != '"') {
      ++p;
    }
  } else {
    while (*p != '\0' && !IsBlank(*p)) {
      ++p;
    }
  }
  if (*p != '\0') {
    ++p;
  }
  while (IsBlank(*p)) {
    ++p;
  }

  if (*p == '\0') {
    result.runMode = kConfigure;
    return result;
  }
  if (*p == '-' || *p == '/') {
    ++p;
  }

  switch (*p) {
    case 'p':
    case 'P':
    case 'l':
    case 'L':
      result.runMode = kPreview;
      result.parentWindow = ParseHandleNumber(SkipToNumber(p));
      break;
    case 's':
    case 'S':
      result.runMode = kSaver;
      break;
    case 'c':
    case 'C': {
      result.runMode = kConfigure;
      const char* number = SkipToNumber(p);
      if (*number == '\0') {
        result.parentWindow = foregroundWindow ? foregroundWindow() : 0;
      } else {
        result.parentWindow = ParseHandleNumber(number);
      }
      break;
    }
    case 'a':
    case 'A':
      result.runMode = kChangePassword;
      result.parentWindow = ParseHandleNumber(SkipToNumber(p));
      break;
    default:
      break;
  }
  return result;
}
