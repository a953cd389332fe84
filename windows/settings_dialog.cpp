// The settings dialog on Windows: dialog 104 run modally, its procedure a thin layer over the
// portable mapping between buttons and settings.
#include <windows.h>

#include "base/settings_store.h"
#include "core/saver_context.h"
#include "windows/settings_dialog.h"
#include "windows/settings_mapping.h"

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

// What the dialog edits and where OK stores it, kept with the dialog from WM_INITDIALOG on.
struct DialogSettings {
  SaverContext& context;
  SettingsStore& store;
};

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(dialog, DWLP_USER, lParam);
  }
  auto* settings = reinterpret_cast<DialogSettings*>(GetWindowLongPtrA(dialog, DWLP_USER));
  if (settings == nullptr) {
    return FALSE;
  }
  Win32DialogButtons buttons(dialog);
  switch (message) {
    case WM_INITDIALOG:
      ShowSettings(settings->context, buttons);
      // Checking a radio makes it a tab stop, and the density radios come first in the template:
      // left to the system, the focus would start on one of them. It starts on OK.
      SetFocus(GetDlgItem(dialog, IDOK));
      return FALSE;
    case WM_COMMAND:
      switch (SettingsCommand(LOWORD(wParam))) {
        case DialogAction::kSaveAndClose:
          TakeSettings(settings->context, buttons);
          settings->context.SaveSettings(settings->store);
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

void ShowSettingsDialog(ModuleHandle instance, SaverContext& context, SettingsStore& settings,
                        WindowHandle owner) {
  DialogSettings edited{context, settings};
  DialogBoxParamA(static_cast<HINSTANCE>(instance), MAKEINTRESOURCEA(104),
                  reinterpret_cast<HWND>(owner), SettingsDialogProc,
                  reinterpret_cast<LPARAM>(&edited));
}
