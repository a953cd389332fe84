// The saver's settings, declared once: where each is stored, its range and default, and the
// labels the settings dialog shows. The registry code, the dialog mapping, the hack's options
// and its XScreenSaver description, and ostinel-render's options all follow this table.
#pragma once

#include <cstdint>

struct SettingInfo {
  const char* storedName;  // the value's name under the saver's key
  int paramIndex;          // its entry in SaverContext::params; -1 for useMouse
  const char* option;      // the command-line option of the Linux programs, without "--"
  const char* group;       // the dialog's group (or check box) label
  std::int32_t min;
  std::int32_t max;
  std::int32_t defaultValue;
  const char* const* labels;  // max - min + 1 labels, the dialog's choices in order
};

inline constexpr int kSettingCount = 5;
// Tempo, transient speed, matrix density, table rotation, use mouse.
extern const SettingInfo kSettings[kSettingCount];

// The entry of option `option` (without "--"), or null.
const SettingInfo* FindSetting(const char* option);
