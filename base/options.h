// Command-line options and the numbers they carry, read one way by every program: the hack's and
// ostinel-render's options, the page's address, the registry numbers of the screen-saver command
// line.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

enum class NumberReading { kOk, kNotANumber, kOutOfRange };

// A whole decimal number: an optional '-' and digits, nothing else (no '+', no blanks), so that a
// typo is never read as another number; or, where `hex` allows, hexadecimal digits after "0x".
// Within [min, max], or kOutOfRange, as is a number too large for 64 bits.
NumberReading ReadNumber(const std::string& text, std::int64_t min, std::int64_t max,
                         std::int64_t* value, bool hex = false);

enum class OptionKind { kUnknown, kFlag, kValued };

// One option as written: "--name", "-name", "--name=value", or "--name value" over two words.
struct OptionWord {
  std::string name;     // without its dashes
  std::string written;  // "--name", for messages
  std::string value;    // a valued option's value
};

// Walks argv[1..argc-1], handing each option to `apply`. `kindOf` says which names are options
// and whether they take a value. False, with a one-line message in `error`, at the first word that
// is not an option, an unknown option, a valued one without its value, a flag given a value, or
// when `apply` refuses one (having set `error`).
bool WalkOptions(int argc, const char* const* argv,
                 const std::function<OptionKind(const std::string& name)>& kindOf,
                 const std::function<bool(const OptionWord& option, std::string* error)>& apply,
                 std::string* error);

// The option's value as a whole number within [min, max]; otherwise false, with `error` saying
// which of the two it is not.
bool NumberOption(const OptionWord& option, std::int64_t min, std::int64_t max, std::int64_t* value,
                  std::string* error, bool hex = false);
