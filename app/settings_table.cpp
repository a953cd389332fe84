// The settings table.
#include "app/settings_table.h"

#include <cstring>

namespace {

const char* const kTempoLabels[] = {"60", "80", "100", "120", "140", "160", "180"};
const char* const kTransientLabels[] = {"slow", "midium", "fast"};
const char* const kDensityLabels[] = {"sparse", "midium", "nearly full"};
const char* const kRotationLabels[] = {"off", "on", "agressive"};
const char* const kUseMouseLabels[] = {"clear", "set"};

}  // namespace

const SettingInfo kSettings[kSettingCount] = {
    {"Param0", 0, "tempo", "Beat Spd(BPM)", 0, 6, 0, kTempoLabels},
    {"Param1", 1, "transient", "Transient Spd", 0, 2, 0, kTransientLabels},
    {"Param2", 2, "density", "Matrix Density", 0, 2, 0, kDensityLabels},
    {"Param3", 3, "rotation", "Table Rotation", 0, 2, 0, kRotationLabels},
    {"Rotate", -1, "use-mouse", "Use Mouse (L-drag to Rotate)", 0, 1, 1, kUseMouseLabels},
};

const SettingInfo* FindSetting(const char* option) {
  for (const SettingInfo& setting : kSettings) {
    if (std::strcmp(setting.option, option) == 0) {
      return &setting;
    }
  }
  return nullptr;
}
