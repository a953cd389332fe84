// The system's screen-saver password services, reached by loading their libraries when needed.
#pragma once

#include <cstdint>

#include "base/handles.h"
#include "base/library_loader.h"

// The exported functions, as the system declares them.
using VerifyScreenSavePwdProc = std::int32_t(OSTINEL_WINAPI*)(void* window);
using PwdChangePasswordProc = std::uint32_t(OSTINEL_WINAPI*)(const char* registryName,
                                                             void* parent, std::uint32_t,
                                                             std::uint32_t);

// Whether the saver may close: non-zero yes. On the NT family nothing is asked; every failure to
// reach the check counts as yes; otherwise the check's own result, unchanged.
std::int32_t VerifySaverPassword(LibraryLoader& loader, WindowHandle window);

// Runs the system's change of the screen-saver password, parented to `parentWindow`.
void ChangeSaverPassword(LibraryLoader& loader, WindowHandle parentWindow);
