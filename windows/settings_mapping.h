// The settings dialog's controls and the settings they stand for: what the dialog shows when it
// opens, and what OK takes from it.
#pragma once

#include <cstdint>

#include "core/saver_context.h"

// Control ids of dialog 104.
enum SettingsControl : int {
  kIdOk = 1,
  kIdCancel = 2,
  kIdUseMouse = 1000,
  kIdTransientSlow = 1005,
  kIdTransientMedium = 1006,
  kIdTransientFast = 1007,
  kIdDensitySparse = 1011,
  kIdTempo60 = 1012,  // 1012 to 1018: 60 to 180 beats a minute
  kIdTempo180 = 1018,
  kIdRotationOff = 1019,
  kIdRotationOn = 1020,
  kIdDensityMedium = 1021,
  kIdDensityFull = 1022,
  kIdRotationAggressive = 1023,
};

// The dialog's buttons as the mapping sees them: the dialog manager on Windows, a fake in tests.
class DialogButtons {
 public:
  virtual ~DialogButtons() = default;
  virtual void Check(int id, bool checked) = 0;
  virtual bool IsChecked(int id) = 0;  // set, and only set (not the indeterminate state)
};

// Shows the record's settings. Out-of-range values leave their group empty, except the tempo,
// which shows "180"; a useMouse other than 0 shows as set, as the saver treats it.
void ShowSettings(const SaverContext& context, DialogButtons& buttons);

// Takes the choices into the record. An empty group stores its last value.
void TakeSettings(SaverContext& context, DialogButtons& buttons);

enum class DialogAction {
  kNone,          // a radio or the check box: the buttons keep their own state
  kSaveAndClose,  // OK: take the settings, save them, end with 1
  kClose,         // Cancel: end with 2, nothing changes
};

// What a command (the low word of WM_COMMAND's wParam) asks of the dialog.
DialogAction SettingsCommand(int controlId);
