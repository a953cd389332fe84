// SaverContext and the settings store logic: defaults, the 4-byte query rule, the order of values.
#include "core/saver_context.h"

#include <cstdio>

#include "base/little_endian.h"
#include "base/settings_store.h"
#include "core/settings_table.h"

namespace {

// A value is taken only when it exists and fits in 4 bytes; a shorter one fills the start of a
// zeroed buffer. The bytes are a little-endian 32-bit number whatever the value's type.
bool QueryInt32(SettingsStore& store, SettingsStore::Key key, const char* name,
                std::int32_t* value) {
  unsigned char data[4] = {0, 0, 0, 0};
  std::uint32_t size = sizeof data;
  if (!store.QueryValue(key, name, data, &size)) {
    return false;
  }
  *value = static_cast<std::int32_t>(Get32(data));
  return true;
}

struct ParamName {
  char text[16];
};

ParamName NameOfParam(int index) {
  ParamName name{};
  std::snprintf(name.text, sizeof name.text, "Param%d", index);
  return name;
}

// Params 0 to 3 are in the settings table; the others are kept as stored, else 0.
std::int32_t DefaultOfParam(int index) {
  for (const SettingInfo& setting : kSettings) {
    if (setting.paramIndex == index) {
      return setting.defaultValue;
    }
  }
  return 0;
}

}  // namespace

SaverContext::SaverContext()
    : window(0),
      passwordDelay(0),
      mouseThreshold(0),
      muteSound(0),
      startTick(0),
      timerId(0),
      checkingPassword(false),
      closeRequested(false) {}

void SaverContext::LoadSystemSettings(SettingsStore& store) {
  passwordDelay = 15;
  mouseThreshold = 50;
  checkingPassword = false;
  SettingsStore::Key key = 0;
  if (!store.OpenKey(kSystemSaverKey, &key)) {
    return;
  }
  QueryInt32(store, key, "Password Delay", &passwordDelay);
  store.CloseKey(key);
}

void SaverContext::LoadSettings(SettingsStore& store) {
  useMouse = kUseMouseSetting.defaultValue;
  for (int index = 0; index < kParamCount; ++index) {
    params[index] = DefaultOfParam(index);
  }
  SettingsStore::Key key = 0;
  if (!store.OpenKey(kSaverKey, &key)) {
    return;
  }
  QueryInt32(store, key, kUseMouseSetting.storedName, &useMouse);
  for (int index = 0; index < kParamCount; ++index) {
    if (!QueryInt32(store, key, NameOfParam(index).text, &params[index])) {
      params[index] = DefaultOfParam(index);
    }
  }
  store.CloseKey(key);
}

void SaverContext::SaveSettings(SettingsStore& store) const {
  SettingsStore::Key key = 0;
  if (!store.CreateKey(kSaverKey, &key)) {
    return;
  }
  store.WriteDword(key, kUseMouseSetting.storedName, static_cast<std::uint32_t>(useMouse));
  for (int index = 0; index < kParamCount; ++index) {
    store.WriteDword(key, NameOfParam(index).text, static_cast<std::uint32_t>(params[index]));
  }
  store.CloseKey(key);
}
