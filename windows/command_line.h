// The screen-saver command line: the run modes and the grammar that picks one.
#pragma once

#include <cstdint>
#include <functional>

#include "base/handles.h"
#include "core/run_mode.h"

struct ParsedCommandLine {
  std::int32_t runMode = kNoRunMode;
  WindowHandle parentWindow = 0;
};

// Parses the process's full command line, program name included. `foregroundWindow` is asked only
// for a Configure switch with no number after it, which means "owned by the foreground window".
ParsedCommandLine ParseCommandLine(const char* commandLine,
                                   const std::function<WindowHandle()>& foregroundWindow);

// Reads a decimal number as strtol does (leading white space, an optional sign, digits up to the
// first non-digit; none gives 0), saturating at the signed 32-bit range.
std::int32_t ParseHandleNumber(const char* text);
