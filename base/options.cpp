// Reading numbers and walking options.
#include "base/options.h"

#include <charconv>

NumberReading ReadNumber(const std::string& text, std::int64_t min, std::int64_t max,
                         std::int64_t* value, bool hex) {
  const char* begin = text.data();
  const char* end = begin + text.size();
  int base = 10;
  if (hex && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    begin += 2;
    base = 16;
  }
  std::int64_t parsed = 0;
  const auto result = std::from_chars(begin, end, parsed, base);
  if (begin == end || result.ptr != end ||
      (result.ec != std::errc() && result.ec != std::errc::result_out_of_range)) {
    return NumberReading::kNotANumber;
  }
  if (result.ec == std::errc::result_out_of_range || parsed < min || parsed > max) {
    return NumberReading::kOutOfRange;
  }
  *value = parsed;
  return NumberReading::kOk;
}

bool WalkOptions(int argc, const char* const* argv,
                 const std::function<OptionKind(const std::string& name)>& kindOf,
                 const std::function<bool(const OptionWord& option, std::string* error)>& apply,
                 std::string* error) {
  for (int i = 1; i < argc; ++i) {
    const std::string word = argv[i];
    const std::size_t dashes = word.rfind("--", 0) == 0 ? 2 : (word.rfind('-', 0) == 0 ? 1 : 0);
    if (dashes == 0 || word.size() == dashes) {
      *error = "unexpected argument '" + word + "'";
      return false;
    }
    const std::size_t equals = word.find('=');
    OptionWord option;
    option.name = word.substr(dashes, equals == std::string::npos ? equals : equals - dashes);
    option.written = "--" + option.name;
    switch (kindOf(option.name)) {
      case OptionKind::kUnknown:
        *error = "unknown option '" + word.substr(0, equals) + "'";
        return false;
      case OptionKind::kFlag:
        if (equals != std::string::npos) {
          *error = option.written + " takes no value";
          return false;
        }
        break;
      case OptionKind::kValued:
        if (equals != std::string::npos) {
          option.value = word.substr(equals + 1);
        } else if (i + 1 < argc) {
          option.value = argv[++i];
        } else {
          *error = option.written + " needs a value";
          return false;
        }
        break;
    }
    if (!apply(option, error)) {
      return false;
    }
  }
  return true;
}

bool NumberOption(const OptionWord& option, std::int64_t min, std::int64_t max, std::int64_t* value,
                  std::string* error, bool hex) {
  switch (ReadNumber(option.value, min, max, value, hex)) {
    case NumberReading::kOk:
      return true;
    case NumberReading::kNotANumber:
      *error = option.written + " takes a whole number, not '" + option.value + "'";
      return false;
    case NumberReading::kOutOfRange:
      break;
  }
  *error = option.written + " must be from " + std::to_string(min) + " to " + std::to_string(max) +
           ", not " + option.value;
  return false;
}
