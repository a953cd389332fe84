// SaverContext: the saver's persisted settings and the running saver window's state, and how the
// settings are loaded from and saved to the per-user store.
#pragma once

#include <cstdint>

#include "base/handles.h"
#include "core/settings_table.h"

class SettingsStore;

// The system's screen-saver key, read only, and the saver's own key.
inline constexpr const char kSystemSaverKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers";
inline constexpr const char kSaverKey[] = "Software\\n3v\\OSTINEL\\1";

struct SaverPoint {
  std::int32_t x = 0;
  std::int32_t y = 0;
};

// The one record of a run's settings (its Settings part) and of the running saver window.
struct SaverContext : Settings {
  SaverContext();

  // passwordDelay (the system's "Password Delay", else 15 s), mouseThreshold, checkingPassword.
  void LoadSystemSettings(SettingsStore& store);
  // useMouse ("Rotate", else 1) and params ("Param0".."Param9", else 0).
  void LoadSettings(SettingsStore& store);
  // Writes "Rotate" and all ten "ParamN" as REG_DWORD; nothing when the key cannot be created.
  void SaveSettings(SettingsStore& store) const;

  WindowHandle window;
  std::int32_t passwordDelay;
  std::int32_t mouseThreshold;
  std::int32_t muteSound;
  SaverPoint cursorPos;
  std::uint32_t startTick;
  std::uint32_t timerId;
  bool checkingPassword;
  bool closeRequested;
};
