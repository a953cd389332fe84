// The saver window's message handling as portable rules: when input ends the saver, the grace
// period and the password check, the cursor, and the keys and drags that act on the scene.
#pragma once

#include <cstdint>

#include "app/handles.h"
#include "app/saver_context.h"

// What the rules need of the window system; the window procedure on Windows, a fake in tests.
class WindowHost {
 public:
  virtual ~WindowHost() = default;
  virtual std::uint32_t TickCount() = 0;
  virtual SaverPoint CursorPos() = 0;
  virtual void PostClose(WindowHandle window) = 0;      // queue a close message to the window
  virtual void SendSetCursor(WindowHandle window) = 0;  // re-evaluate the cursor now
  virtual void SetCursorVisible(bool arrow) = 0;        // the arrow, or no cursor at all
  virtual void Destroy(WindowHandle window) = 0;
  virtual void PostQuit() = 0;
  // The system's password check: non-zero lets the saver close.
  virtual std::int32_t VerifyPassword(WindowHandle window) = 0;
};

// The messages the rules handle, with the window system's numbers.
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

inline constexpr std::uintptr_t kKeyEnter = 13;
inline constexpr std::uintptr_t kKeySpace = 32;
inline constexpr std::uintptr_t kKeyLeft = 37;
inline constexpr std::uintptr_t kKeyRight = 39;
inline constexpr std::uintptr_t kKeyDown = 40;
inline constexpr std::uintptr_t kMiddleButtonFlag = 0x10;  // in a middle click's key flags

// A mouse move of more than this many pixels on either axis ends the saver (without useMouse).
inline constexpr std::int32_t kMouseCloseDistance = 5;

struct InputState {
  SaverPoint lastMousePos;
  std::int32_t mouseMoveCount = 0;
  bool leftDragging = false;
  bool rightDragging = false;
};

// The process's one input state; `input = InputState()` is its state at load.
extern InputState input;

void RequestClose(SaverContext& context, WindowHost& host);
void BeginPasswordCheck(SaverContext& context, WindowHost& host);
void EndPasswordCheck(SaverContext& context, WindowHost& host);

enum class MessageResult {
  kDefault,  // pass the message on to the window system's default handling
  kHandled,  // the message's result is 0 and nothing more is done
};

// Handles one message to the saver window. Reads saverContext and runMode.
MessageResult HandleSaverMessage(WindowHost& host, WindowHandle window, std::uint32_t message,
                                 std::uintptr_t wParam);
