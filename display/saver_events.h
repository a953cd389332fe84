// The saver's input as every shell reports it: each platform translates its own events (Win32
// messages and virtual keys, X events and keysyms) into these, and the input rules take them.
#pragma once

#include <cstdint>

#include "app/handles.h"
#include "display/input_rules.h"

enum class SaverKey { kSpace, kEnter, kDown, kLeft, kRight, kOther };

enum class SaverEventKind {
  kKey,
  kMiddleClick,
  kMouseMove,  // the pointer's position comes from the host's CursorPos
  kLeftDown,
  kLeftUp,
  kRightDown,
  kRightUp,
  kDeactivate,
  kCloseRequest,  // a close message to the saver window (see RequestClose)
};

struct SaverEvent {
  SaverEventKind kind = SaverEventKind::kKey;
  SaverKey key = SaverKey::kOther;
};

// Hands one event to the input rules. kHandled: the shell passes it on to nothing else.
MessageResult HandleSaverEvent(WindowHost& host, WindowHandle window, const SaverEvent& event);
