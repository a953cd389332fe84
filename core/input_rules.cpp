// The saver window's rules for input, closing, the grace period and the cursor.
#include "core/input_rules.h"

#include <cstdlib>

#include "base/clock.h"
#include "core/saver.h"
#include "core/view.h"

namespace {

bool SaverMode(const Saver& saver) {
  return saver.runMode == kSaver;
}

bool InputMayClose(const Saver& saver) {
  return SaverMode(saver) && !saver.saverContext.checkingPassword;
}

// The close message in Saver mode: only a requested one, never during a check; within the grace
// period the window goes at once, after it only once the password is accepted.
void HandleClose(Saver& saver, WindowHost& host, WindowHandle window) {
  SaverContext& context = saver.saverContext;
  if (!context.closeRequested || context.checkingPassword) {
    return;
  }
  const std::uint32_t elapsed = saver.frameClock.TickCount() - context.startTick;
  const std::uint32_t grace = static_cast<std::uint32_t>(context.passwordDelay) * 1000u;
  if (elapsed <= grace) {
    host.Destroy(window);
    return;
  }
  BeginPasswordCheck(context, host);
  const std::int32_t ok = host.VerifyPassword(window);
  EndPasswordCheck(context, host);
  if (ok != 0) {
    host.Destroy(window);
  }
}

void DispatchKey(Saver& saver, SaverKey key, EventResult* result) {
  switch (key) {
    case SaverKey::kEnter:
      ApplySceneAction(saver, SceneAction::kDayNight);
      break;
    case SaverKey::kSpace:
      ApplySceneAction(saver, SceneAction::kTransform);
      break;
    case SaverKey::kLeft:
    case SaverKey::kRight:
      break;
    case SaverKey::kDown:
      ApplySceneAction(saver, SceneAction::kReset);
      break;
    case SaverKey::kOther:
      if (InputMayClose(saver)) {
        RequestClose(saver.saverContext, result);
      }
      break;
  }
}

void HandleMouseMove(Saver& saver, WindowHost& host, EventResult* result) {
  InputState& input = saver.input;
  const SaverPoint p = host.CursorPos();
  // 64-bit differences: positions are screen pixels, but nothing guarantees their range.
  const std::int64_t dx = static_cast<std::int64_t>(p.x) - input.lastMousePos.x;
  const std::int64_t dy = static_cast<std::int64_t>(p.y) - input.lastMousePos.y;
  if (saver.saverContext.useMouse == 0) {
    const std::int32_t examined = input.mouseMoveCount;
    input.mouseMoveCount = examined + 1;
    if (examined != 0 &&
        (std::llabs(dx) > kMouseCloseDistance || std::llabs(dy) > kMouseCloseDistance)) {
      RequestClose(saver.saverContext, result);
    }
  }
  if (input.leftDragging) {
    ApplyLeftDrag(saver.view, static_cast<std::int32_t>(dx), static_cast<std::int32_t>(dy));
  } else if (input.rightDragging) {
    ApplyRightDrag(saver.view, static_cast<std::int32_t>(dx), static_cast<std::int32_t>(dy));
  }
  input.lastMousePos = p;
}

}  // namespace

void RequestClose(SaverContext& context, EventResult* result) {
  context.closeRequested = true;
  result->closeRequested = true;
}

void BeginPasswordCheck(SaverContext& context, WindowHost& host) {
  context.checkingPassword = true;
  host.SendSetCursor(context.window);
}

void EndPasswordCheck(SaverContext& context, WindowHost& host) {
  context.checkingPassword = false;
  host.SendSetCursor(context.window);
}

void OnSaverWindowCreated(Saver& saver, WindowHandle window) {
  saver.saverContext.window = window;
  saver.saverContext.startTick = saver.frameClock.TickCount();
}

void OnSaverWindowDestroyed(WindowHost& host) {
  host.PostQuit();
}

void OnSaverSetCursor(const Saver& saver, WindowHost& host) {
  host.SetCursorVisible(!(SaverMode(saver) && !saver.saverContext.checkingPassword));
}

MessageResult OnSaverSystemCommand(const Saver& saver, bool screenSaveOrClose) {
  return SaverMode(saver) && screenSaveOrClose ? MessageResult::kHandled : MessageResult::kDefault;
}

EventResult HandleSaverEvent(Saver& saver, WindowHost& host, WindowHandle window,
                             const SaverEvent& event) {
  EventResult result;
  InputState& input = saver.input;
  switch (event.kind) {
    case SaverEventKind::kDeactivate:
      if (InputMayClose(saver)) {
        RequestClose(saver.saverContext, &result);
      }
      break;
    case SaverEventKind::kCloseRequest:
      if (SaverMode(saver)) {
        HandleClose(saver, host, window);
        result.message = MessageResult::kHandled;
      }
      break;
    case SaverEventKind::kKey:
      DispatchKey(saver, event.key, &result);
      break;
    case SaverEventKind::kMiddleClick:
      DispatchKey(saver, SaverKey::kOther, &result);
      break;
    case SaverEventKind::kMouseMove:
      if (InputMayClose(saver)) {
        HandleMouseMove(saver, host, &result);
      }
      break;
    case SaverEventKind::kLeftDown:
      input.leftDragging = true;
      input.lastMousePos = host.CursorPos();
      break;
    case SaverEventKind::kLeftUp:
      input.leftDragging = false;
      break;
    case SaverEventKind::kRightDown:
      ApplySceneAction(saver, SceneAction::kReset);
      input.rightDragging = true;
      input.lastMousePos = host.CursorPos();
      break;
    case SaverEventKind::kRightUp:
      input.rightDragging = false;
      break;
  }
  return result;
}
