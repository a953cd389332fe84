// The saver window's message handling as portable rules: when input ends the saver, the grace
// period and the password check, the cursor, and the keys and drags that act on the scene.
#pragma once

#include <cstdint>

#include "base/handles.h"
#include "core/saver_context.h"
#include "core/saver_events.h"

struct Saver;

// What the rules need of the window system; the window procedure on Windows, a fake in tests.
class WindowHost {
 public:
  virtual ~WindowHost() = default;
  virtual SaverPoint CursorPos() = 0;
  virtual void SendSetCursor(WindowHandle window) = 0;  // re-evaluate the cursor now
  virtual void SetCursorVisible(bool arrow) = 0;        // the arrow, or no cursor at all
  virtual void Destroy(WindowHandle window) = 0;
  virtual void PostQuit() = 0;
  // The system's password check: non-zero lets the saver close.
  virtual std::int32_t VerifyPassword(WindowHandle window) = 0;
};

// A mouse move of more than this many pixels on either axis ends the saver (without useMouse).
inline constexpr std::int32_t kMouseCloseDistance = 5;

struct InputState {
  SaverPoint lastMousePos;
  std::int32_t mouseMoveCount = 0;
  bool leftDragging = false;
  bool rightDragging = false;
};

enum class MessageResult {
  kDefault,  // pass the message on to the window system's default handling
  kHandled,  // the message's result is 0 and nothing more is done
};

// What handling an event asks of the shell.
struct EventResult {
  MessageResult message = MessageResult::kDefault;
  // The rules want the window closed (RequestClose): the shell queues a close request for the
  // window, which comes back to HandleSaverEvent as kCloseRequest.
  bool closeRequested = false;
};

// closeRequested set in the context and in `result`, whose shell then queues the close.
void RequestClose(SaverContext& context, EventResult* result);
void BeginPasswordCheck(SaverContext& context, WindowHost& host);
void EndPasswordCheck(SaverContext& context, WindowHost& host);

// The saver window's life, as each shell reports it.
void OnSaverWindowCreated(Saver& saver, WindowHandle window);  // the window and the start tick
void OnSaverWindowDestroyed(WindowHost& host);                 // ends the frame loop
void OnSaverSetCursor(const Saver& saver, WindowHost& host);   // none while the saver runs
// The system's screen-saver or close command: swallowed in Saver mode.
MessageResult OnSaverSystemCommand(const Saver& saver, bool screenSaveOrClose);

// The user's input and the window's closing: the keys and drags, and when the saver ends.
EventResult HandleSaverEvent(Saver& saver, WindowHost& host, WindowHandle window,
                             const SaverEvent& event);
