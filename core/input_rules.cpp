// The saver window's rules for input, closing, the grace period and the cursor.
#include "core/input_rules.h"

#include <cstdlib>

#include "core/saver_run.h"
#include "core/shared_state.h"
#include "core/view.h"

InputState input;

namespace {

bool SaverMode() { return runMode == kSaver; }

bool InputMayClose(const SaverContext& context) {
  return SaverMode() && !context.checkingPassword;
}

// The close message in Saver mode: only a requested one, never during a check; within the grace
// period the window goes at once, after it only once the password is accepted.
void HandleClose(SaverContext& context, WindowHost& host, WindowHandle window) {
  if (!context.closeRequested || context.checkingPassword) {
    return;
  }
  const std::uint32_t elapsed = host.TickCount() - context.startTick;
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

void DispatchKey(SaverContext& context, WindowHost& host, SaverKey key) {
  switch (key) {
    case SaverKey::kEnter:
      ApplySceneAction(SceneAction::kDayNight);
      break;
    case SaverKey::kSpace:
      ApplySceneAction(SceneAction::kTransform);
      break;
    case SaverKey::kLeft:
    case SaverKey::kRight:
      break;
    case SaverKey::kDown:
      ApplySceneAction(SceneAction::kReset);
      break;
    case SaverKey::kOther:
      if (InputMayClose(context)) {
        RequestClose(context, host);
      }
      break;
  }
}

void HandleMouseMove(SaverContext& context, WindowHost& host) {
  const SaverPoint p = host.CursorPos();
  // 64-bit differences: positions are screen pixels, but nothing guarantees their range.
  const std::int64_t dx = static_cast<std::int64_t>(p.x) - input.lastMousePos.x;
  const std::int64_t dy = static_cast<std::int64_t>(p.y) - input.lastMousePos.y;
  if (context.useMouse == 0) {
    const std::int32_t examined = input.mouseMoveCount;
    input.mouseMoveCount = examined + 1;
    if (examined != 0 && (std::llabs(dx) > kMouseCloseDistance ||
                          std::llabs(dy) > kMouseCloseDistance)) {
      RequestClose(context, host);
    }
  }
  if (input.leftDragging) {
    ApplyLeftDrag(static_cast<std::int32_t>(dx), static_cast<std::int32_t>(dy));
  } else if (input.rightDragging) {
    ApplyRightDrag(static_cast<std::int32_t>(dx), static_cast<std::int32_t>(dy));
  }
  input.lastMousePos = p;
}

}  // namespace

void RequestClose(SaverContext& context, WindowHost& host) {
  context.closeRequested = true;
  host.PostClose(context.window);
}

void BeginPasswordCheck(SaverContext& context, WindowHost& host) {
  context.checkingPassword = true;
  host.SendSetCursor(context.window);
}

void EndPasswordCheck(SaverContext& context, WindowHost& host) {
  context.checkingPassword = false;
  host.SendSetCursor(context.window);
}

void OnSaverWindowCreated(WindowHost& host, WindowHandle window) {
  if (saverContext != nullptr) {
    saverContext->window = window;
    saverContext->startTick = host.TickCount();
  }
}

void OnSaverWindowDestroyed(WindowHost& host) {
  if (saverContext != nullptr) {
    host.PostQuit();
  }
}

void OnSaverSetCursor(WindowHost& host) {
  if (saverContext != nullptr) {
    host.SetCursorVisible(!(SaverMode() && !saverContext->checkingPassword));
  }
}

MessageResult OnSaverSystemCommand(bool screenSaveOrClose) {
  return saverContext != nullptr && SaverMode() && screenSaveOrClose ? MessageResult::kHandled
                                                                     : MessageResult::kDefault;
}

MessageResult HandleSaverEvent(WindowHost& host, WindowHandle window, const SaverEvent& event) {
  if (saverContext == nullptr) {
    return MessageResult::kDefault;
  }
  SaverContext& context = *saverContext;
  switch (event.kind) {
    case SaverEventKind::kDeactivate:
      if (InputMayClose(context)) {
        RequestClose(context, host);
      }
      break;
    case SaverEventKind::kCloseRequest:
      if (SaverMode()) {
        HandleClose(context, host, window);
        return MessageResult::kHandled;
      }
      break;
    case SaverEventKind::kKey:
      DispatchKey(context, host, event.key);
      break;
    case SaverEventKind::kMiddleClick:
      DispatchKey(context, host, SaverKey::kOther);
      break;
    case SaverEventKind::kMouseMove:
      if (InputMayClose(context)) {
        HandleMouseMove(context, host);
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
      ApplySceneAction(SceneAction::kReset);
      input.rightDragging = true;
      input.lastMousePos = host.CursorPos();
      break;
    case SaverEventKind::kRightUp:
      input.rightDragging = false;
      break;
  }
  return MessageResult::kDefault;
}
