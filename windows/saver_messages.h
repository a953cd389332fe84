// The saver window's Win32 messages, with Windows' numbers, translated into the saver's portable
// events and window life for the input rules. Free of Windows headers, so that the rules can be
// driven by the very messages Windows sends in native tests too.
#pragma once

#include <cstdint>

#include "base/handles.h"
#include "core/input_rules.h"

enum SaverMessage : std::uint32_t {
  kMsgCreate = 0x0001,
  kMsgDestroy = 0x0002,
  kMsgActivate = 0x0006,
  kMsgClose = 0x0010,
  kMsgActivateApp = 0x001C,
  kMsgSetCursor = 0x0020,
  kMsgNcActivate = 0x0086,
  kMsgKeyDown = 0x0100,
  kMsgSysCommand = 0x0112,
  kMsgMouseMove = 0x0200,
  kMsgLButtonDown = 0x0201,
  kMsgLButtonUp = 0x0202,
  kMsgRButtonDown = 0x0204,
  kMsgRButtonUp = 0x0205,
  kMsgMButtonDown = 0x0207,
};

inline constexpr std::uintptr_t kScScreenSave = 0xF140;
inline constexpr std::uintptr_t kScClose = 0xF060;

// Virtual-key codes of the keys the saver acts on.
inline constexpr std::uintptr_t kKeyEnter = 13;
inline constexpr std::uintptr_t kKeySpace = 32;
inline constexpr std::uintptr_t kKeyLeft = 37;
inline constexpr std::uintptr_t kKeyRight = 39;
inline constexpr std::uintptr_t kKeyDown = 40;

struct Saver;

// Handles one message to the saver window (the window procedure's part before DefWindowProcA). The
// window procedure posts the close the result asks for.
EventResult HandleSaverMessage(Saver& saver, WindowHost& host, WindowHandle window,
                               std::uint32_t message, std::uintptr_t wParam);
