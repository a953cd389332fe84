// libFuzzer target: the command-line grammar on arbitrary text never reads past its end.
#include <cstdint>
#include <string>

#include "windows/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string line(reinterpret_cast<const char*>(data), size);
  ParseCommandLine(line.c_str(), [] { return WindowHandle{1}; });
  return 0;
}
