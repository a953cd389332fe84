// The value of an option written "--name value" or "--name=value" and its reading as a number,
// shared by the parsers of the Linux programs and of the page's address.
#pragma once

#include <charconv>
#include <cstdint>
#include <string>

// For the option in argv[*i], whose text is `arg`: what follows its first '=', or without one the
// next word, *i then moving past it. False when there is no value.
inline bool TakeOptionValue(const std::string& arg, int argc, const char* const* argv, int* i,
                            std::string* value) {
  const std::size_t equals = arg.find('=');
  if (equals != std::string::npos) {
    *value = arg.substr(equals + 1);
    return true;
  }
  if (*i + 1 >= argc) {
    return false;
  }
  *value = argv[++*i];
  return true;
}

// A whole decimal number within [min, max], or a hexadecimal one after "0x" when `hex` allows;
// nothing else (no sign but '-', no blanks), so that a typo is never read as another number.
inline bool ParseOptionNumber(const std::string& text, std::int64_t min, std::int64_t max, bool hex,
                              std::int64_t* value) {
  const char* begin = text.data();
  const char* end = begin + text.size();
  int base = 10;
  if (hex && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    begin += 2;
    base = 16;
  }
  std::int64_t parsed = 0;
  const auto result = std::from_chars(begin, end, parsed, base);
  if (begin == end || result.ec != std::errc() || result.ptr != end || parsed < min ||
      parsed > max) {
    return false;
  }
  *value = parsed;
  return true;
}
