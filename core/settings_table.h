// The saver's settings, declared once: where each is stored, its range and default, and the
// labels the settings dialog shows. The registry code, the dialog mapping, the hack's options
// and its XScreenSaver description, and ostinel-render's options all follow this table.
#pragma once

#include <cstdint>

inline constexpr int kParamCount = 10;

// The meaning of the first four params; params 4 to 9 mean nothing and are kept as stored.
enum ParamIndex {
  kTempoParam = 0,
  kTransientParam = 1,
  kDensityParam = 2,
  kRotationParam = 3,
};

struct SettingInfo;

// The saver's settings, as every program holds them: those its key stores ("Rotate", "Param0" to
// "Param9"), by default the table's defaults.
struct Settings {
  std::int32_t useMouse = 1;
  std::int32_t params[kParamCount] = {};

  std::int32_t& tempo() { return params[kTempoParam]; }
  std::int32_t& transient() { return params[kTransientParam]; }
  std::int32_t& density() { return params[kDensityParam]; }
  std::int32_t& rotation() { return params[kRotationParam]; }
  std::int32_t tempo() const { return params[kTempoParam]; }
  std::int32_t transient() const { return params[kTransientParam]; }
  std::int32_t density() const { return params[kDensityParam]; }
  std::int32_t rotation() const { return params[kRotationParam]; }
  // The value of a setting of the table.
  std::int32_t& Of(const SettingInfo& setting);
  std::int32_t Of(const SettingInfo& setting) const;
};

struct SettingInfo {
  const char* storedName;  // the value's name under the saver's key
  int paramIndex;          // its entry in Settings::params; -1 for useMouse
  const char* option;      // the command-line option of the Linux programs, without "--"
  const char* group;       // the dialog's group (or check box) label
  std::int32_t min;
  std::int32_t max;
  std::int32_t defaultValue;
  const char* const* labels;  // max - min + 1 labels, the dialog's choices in order
};

inline constexpr const char* kTempoLabels[] = {"60", "80", "100", "120", "140", "160", "180"};
inline constexpr const char* kTransientLabels[] = {"slow", "midium", "fast"};
inline constexpr const char* kDensityLabels[] = {"sparse", "midium", "nearly full"};
inline constexpr const char* kRotationLabels[] = {"off", "on", "agressive"};
inline constexpr const char* kUseMouseLabels[] = {"clear", "set"};

// Entries 0 to 3 are params 0 to 3; the last is useMouse.
inline constexpr SettingInfo kSettings[] = {
    {"Param0", 0, "tempo", "Beat Spd(BPM)", 0, 6, 0, kTempoLabels},
    {"Param1", 1, "transient", "Transient Spd", 0, 2, 0, kTransientLabels},
    {"Param2", 2, "density", "Matrix Density", 0, 2, 0, kDensityLabels},
    {"Param3", 3, "rotation", "Table Rotation", 0, 2, 0, kRotationLabels},
    {"Rotate", -1, "use-mouse", "Use Mouse (L-drag to Rotate)", 0, 1, 1, kUseMouseLabels},
};
inline constexpr int kSettingCount = sizeof kSettings / sizeof kSettings[0];
inline constexpr const SettingInfo& kUseMouseSetting = kSettings[kSettingCount - 1];

// The number of choices a setting offers.
constexpr int ChoiceCount(const SettingInfo& setting) {
  return setting.max - setting.min + 1;
}

// The entry of option `option` (without "--"), or null.
const SettingInfo* FindSetting(const char* option);
