// Saver events onto the input rules.
#include "display/saver_events.h"

namespace {

std::uintptr_t KeyCode(SaverKey key) {
  switch (key) {
    case SaverKey::kSpace:
      return kKeySpace;
    case SaverKey::kEnter:
      return kKeyEnter;
    case SaverKey::kDown:
      return kKeyDown;
    case SaverKey::kLeft:
      return kKeyLeft;
    case SaverKey::kRight:
      return kKeyRight;
    case SaverKey::kOther:
      break;
  }
  return 0;  // no key the rules act on
}

}  // namespace

MessageResult HandleSaverEvent(WindowHost& host, WindowHandle window, const SaverEvent& event) {
  switch (event.kind) {
    case SaverEventKind::kKey:
      return HandleSaverMessage(host, window, kMsgKeyDown, KeyCode(event.key));
    case SaverEventKind::kMiddleClick:
      return HandleSaverMessage(host, window, kMsgMButtonDown, kMiddleButtonFlag);
    case SaverEventKind::kMouseMove:
      return HandleSaverMessage(host, window, kMsgMouseMove, 0);
    case SaverEventKind::kLeftDown:
      return HandleSaverMessage(host, window, kMsgLButtonDown, 0);
    case SaverEventKind::kLeftUp:
      return HandleSaverMessage(host, window, kMsgLButtonUp, 0);
    case SaverEventKind::kRightDown:
      return HandleSaverMessage(host, window, kMsgRButtonDown, 0);
    case SaverEventKind::kRightUp:
      return HandleSaverMessage(host, window, kMsgRButtonUp, 0);
    case SaverEventKind::kDeactivate:
      return HandleSaverMessage(host, window, kMsgActivate, 0);
    case SaverEventKind::kCloseRequest:
      return HandleSaverMessage(host, window, kMsgClose, 0);
  }
  return MessageResult::kDefault;
}
