// The settings dialog on Windows: dialog 104 run modally, its procedure a thin layer over the
// portable mapping between buttons and settings.
#include <windows.h>

#include "base/settings_store.h"
#include "core/saver_context.h"
#include "core/shared_state.h"
#include "windows/settings_dialog.h"
#include "windows/settings_mapping.h"
#include "windows/startup.h"

namespace {

class Win32DialogButtons final : public DialogButtons {
 public:
  explicit Win32DialogButtons(HWND dialog) : dialog_(dialog) {}
  void Check(int id, bool checked) override {
    CheckDlgButton(dialog_, id, checked ? BST_CHECKED : BST_UNCHECKED);
  }
  bool IsChecked(int id) override { return IsDlgButtonChecked(dialog_, id) == BST_CHECKED; }

 private:
  HWND dialog_;
};

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (saverContext == nullptr) {
    return FALSE;
  }
  Win32DialogButtons buttons(dialog);
  switch (message) {
    case WM_INITDIALOG:
      // The store the run was given, kept with the dialog for OK.
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      ShowSettings(*saverContext, buttons);
      // Checking a radio makes it a tab stop, and the density radios come first in the template:
      // left to the system, the focus would start on one of them. It starts on OK.
      SetFocus(GetDlgItem(dialog, IDOK));
      return FALSE;
    case WM_COMMAND:
      switch (SettingsCommand(LOWORD(wParam))) {
        case DialogAction::kSaveAndClose:
          TakeSettings(*saverContext, buttons);
          saverContext->SaveSettings(
              *reinterpret_cast<SettingsStore*>(GetWindowLongPtrA(dialog, DWLP_USER)));
          EndDialog(dialog, IDOK);
          break;
        case DialogAction::kClose:
          EndDialog(dialog, IDCANCEL);
          break;
        case DialogAction::kNone:
          break;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

void ShowSettingsDialog(SettingsStore& settings, WindowHandle owner) {
  DialogBoxParamA(static_cast<HINSTANCE>(moduleInstance), MAKEINTRESOURCEA(104),
                  reinterpret_cast<HWND>(owner), SettingsDialogProc,
                  reinterpret_cast<LPARAM>(&settings));
}
