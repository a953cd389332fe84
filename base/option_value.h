// The value of a command-line option written "--name value" or "--name=value", shared by the
// Linux programs' parsers.
#pragma once

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
