// The settings table.
#include "core/settings_table.h"

#include <cstring>

const SettingInfo* FindSetting(const char* option) {
  for (const SettingInfo& setting : kSettings) {
    if (std::strcmp(setting.option, option) == 0) {
      return &setting;
    }
  }
  return nullptr;
}

std::int32_t& Settings::Of(const SettingInfo& setting) {
  return setting.paramIndex < 0 ? useMouse : params[setting.paramIndex];
}

std::int32_t Settings::Of(const SettingInfo& setting) const {
  return setting.paramIndex < 0 ? useMouse : params[setting.paramIndex];
}
