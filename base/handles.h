// Opaque platform handles as the portable code holds them.
#pragma once

#include <cstdint>

// A window handle's value (an HWND on Windows); 0 names no window. Handles given on the command
// line are signed 32-bit numbers, widened with their sign as Windows does for window handles.
using WindowHandle = std::intptr_t;

// The module instance the entry point receives (an HINSTANCE on Windows).
using ModuleHandle = void*;
