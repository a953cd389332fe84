// The mapping between the settings dialog's buttons and the SaverContext's settings.
#include "windows/settings_mapping.h"

#include <iterator>

#include "core/settings_table.h"

namespace {

const int kTempoIds[] = {1012, 1013, 1014, 1015, 1016, 1017, 1018};
const int kTransientIds[] = {kIdTransientSlow, kIdTransientMedium, kIdTransientFast};
const int kDensityIds[] = {kIdDensitySparse, kIdDensityMedium, kIdDensityFull};
const int kRotationIds[] = {kIdRotationOff, kIdRotationOn, kIdRotationAggressive};

// One radio button per choice of each setting of the table.
static_assert(std::size(kTempoIds) == ChoiceCount(kSettings[kTempoParam]));
static_assert(std::size(kTransientIds) == ChoiceCount(kSettings[kTransientParam]));
static_assert(std::size(kDensityIds) == ChoiceCount(kSettings[kDensityParam]));
static_assert(std::size(kRotationIds) == ChoiceCount(kSettings[kRotationParam]));

void ShowThreeWay(const int (&ids)[3], std::int32_t value, DialogButtons& buttons) {
  if (value >= 0 && value < 3) {
    buttons.Check(ids[value], true);
  }
}

std::int32_t TakeThreeWay(const int (&ids)[3], DialogButtons& buttons) {
  if (buttons.IsChecked(ids[0])) {
    return 0;
  }
  return buttons.IsChecked(ids[1]) ? 1 : 2;
}

}  // namespace

void ShowSettings(const SaverContext& context, DialogButtons& buttons) {
  buttons.Check(kIdUseMouse, context.useMouse != 0);
  ShowThreeWay(kRotationIds, context.params[kRotationParam], buttons);
  ShowThreeWay(kDensityIds, context.params[kDensityParam], buttons);
  ShowThreeWay(kTransientIds, context.params[kTransientParam], buttons);
  const std::int32_t tempo = context.params[kTempoParam];
  buttons.Check(tempo >= 0 && tempo <= 5 ? kTempoIds[tempo] : kIdTempo180, true);
}

void TakeSettings(SaverContext& context, DialogButtons& buttons) {
  context.useMouse = buttons.IsChecked(kIdUseMouse) ? 1 : 0;
  context.params[kRotationParam] = TakeThreeWay(kRotationIds, buttons);
  context.params[kDensityParam] = TakeThreeWay(kDensityIds, buttons);
  context.params[kTransientParam] = TakeThreeWay(kTransientIds, buttons);
  std::int32_t tempo = 6;
  for (std::int32_t index = 0; index < 6; ++index) {
    if (buttons.IsChecked(kTempoIds[index])) {
      tempo = index;
      break;
    }
  }
  context.params[kTempoParam] = tempo;
}

DialogAction SettingsCommand(int controlId) {
  switch (controlId) {
    case kIdOk:
      return DialogAction::kSaveAndClose;
    case kIdCancel:
      return DialogAction::kClose;
    default:
      return DialogAction::kNone;
  }
}
