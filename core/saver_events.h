// The saver's input as every shell reports it: each platform translates its own events (Win32
// messages and virtual keys, X events and keysyms) into these, and the input rules take them.
#pragma once

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
  kCloseRequest,  // the close that RequestClose asks for (or any close, once one was asked)
};

struct SaverEvent {
  SaverEventKind kind = SaverEventKind::kKey;
  SaverKey key = SaverKey::kOther;
};
