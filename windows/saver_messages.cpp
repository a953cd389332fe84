// Win32 messages onto the saver's events and window life.
#include "windows/saver_messages.h"

namespace {

// The key a code stands for; kOther for every key the saver does not act on.
SaverKey KeyOf(std::uintptr_t code) {
  switch (code) {
    case kKeyEnter:
      return SaverKey::kEnter;
    case kKeySpace:
      return SaverKey::kSpace;
    case kKeyLeft:
      return SaverKey::kLeft;
    case kKeyRight:
      return SaverKey::kRight;
    case kKeyDown:
      return SaverKey::kDown;
    default:
      return SaverKey::kOther;
  }
}

MessageResult Send(WindowHost& host, WindowHandle window, SaverEventKind kind,
                   SaverKey key = SaverKey::kOther) {
  return HandleSaverEvent(host, window, SaverEvent{kind, key});
}

}  // namespace

MessageResult HandleSaverMessage(WindowHost& host, WindowHandle window, std::uint32_t message,
                                 std::uintptr_t wParam) {
  switch (message) {
    case kMsgCreate:
      OnSaverWindowCreated(host, window);
      break;
    case kMsgDestroy:
      OnSaverWindowDestroyed(host);
      break;
    case kMsgActivate:
    case kMsgActivateApp:
    case kMsgNcActivate:
      // The low word is 0 when the window or the application is being deactivated.
      if ((wParam & 0xFFFF) == 0) {
        return Send(host, window, SaverEventKind::kDeactivate);
      }
      break;
    case kMsgClose:
      return Send(host, window, SaverEventKind::kCloseRequest);
    case kMsgSetCursor:
      OnSaverSetCursor(host);
      break;
    case kMsgKeyDown:
      return Send(host, window, SaverEventKind::kKey, KeyOf(wParam));
    case kMsgMButtonDown:
      // wParam holds the mouse-key flags, which always include the middle button's (16) and so
      // never equal the codes of the keys the saver acts on: a middle click ends it like a key.
      if (KeyOf(wParam) != SaverKey::kOther) {
        return Send(host, window, SaverEventKind::kKey, KeyOf(wParam));
      }
      return Send(host, window, SaverEventKind::kMiddleClick);
    case kMsgSysCommand:
      return OnSaverSystemCommand(wParam == kScScreenSave || wParam == kScClose);
    case kMsgMouseMove:
      return Send(host, window, SaverEventKind::kMouseMove);
    case kMsgLButtonDown:
      return Send(host, window, SaverEventKind::kLeftDown);
    case kMsgLButtonUp:
      return Send(host, window, SaverEventKind::kLeftUp);
    case kMsgRButtonDown:
      return Send(host, window, SaverEventKind::kRightDown);
    case kMsgRButtonUp:
      return Send(host, window, SaverEventKind::kRightUp);
    default:
      break;
  }
  return MessageResult::kDefault;
}
