// Win32 messages onto the saver's events and window life.
#include "windows/saver_messages.h"

#include "core/saver.h"

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

// The message's result alone.
EventResult Only(MessageResult message) {
  EventResult result;
  result.message = message;
  return result;
}

}  // namespace

EventResult HandleSaverMessage(Saver& saver, WindowHost& host, WindowHandle window,
                               std::uint32_t message, std::uintptr_t wParam) {
  const auto send = [&](SaverEventKind kind, SaverKey key = SaverKey::kOther) {
    return HandleSaverEvent(saver, host, window, SaverEvent{kind, key});
  };
  switch (message) {
    case kMsgCreate:
      OnSaverWindowCreated(saver, window);
      break;
    case kMsgDestroy:
      OnSaverWindowDestroyed(host);
      break;
    case kMsgActivate:
    case kMsgActivateApp:
    case kMsgNcActivate:
      // The low word is 0 when the window or the application is being deactivated.
      if ((wParam & 0xFFFF) == 0) {
        return send(SaverEventKind::kDeactivate);
      }
      break;
    case kMsgClose:
      return send(SaverEventKind::kCloseRequest);
    case kMsgSetCursor:
      OnSaverSetCursor(saver, host);
      break;
    case kMsgKeyDown:
      return send(SaverEventKind::kKey, KeyOf(wParam));
    case kMsgMButtonDown:
      // wParam holds the mouse-key flags, which always include the middle button's (16) and so
      // never equal the codes of the keys the saver acts on: a middle click ends it like a key.
      if (KeyOf(wParam) != SaverKey::kOther) {
        return send(SaverEventKind::kKey, KeyOf(wParam));
      }
      return send(SaverEventKind::kMiddleClick);
    case kMsgSysCommand:
      return Only(OnSaverSystemCommand(saver, wParam == kScScreenSave || wParam == kScClose));
    case kMsgMouseMove:
      return send(SaverEventKind::kMouseMove);
    case kMsgLButtonDown:
      return send(SaverEventKind::kLeftDown);
    case kMsgLButtonUp:
      return send(SaverEventKind::kLeftUp);
    case kMsgRButtonDown:
      return send(SaverEventKind::kRightDown);
    case kMsgRButtonUp:
      return send(SaverEventKind::kRightUp);
    default:
      break;
  }
  return Only(MessageResult::kDefault);
}
