// The settings dialog's mapping: what each stored value shows, what OK takes back, and what the
// buttons ask of the dialog.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "ui/settings_mapping.h"

namespace {

class FakeButtons final : public DialogButtons {
 public:
  std::set<int> checked;
  void Check(int id, bool on) override {
    if (on) {
      checked.insert(id);
    } else {
      checked.erase(id);
    }
  }
  bool IsChecked(int id) override { return checked.count(id) != 0; }
};

SaverContext Settings(std::int32_t useMouse, std::int32_t tempo, std::int32_t transient,
                      std::int32_t density, std::int32_t rotation) {
  SaverContext context;
  context.useMouse = useMouse;
  context.params[kTempoParam] = tempo;
  context.params[kTransientParam] = transient;
  context.params[kDensityParam] = density;
  context.params[kRotationParam] = rotation;
  for (int i = 4; i < kParamCount; ++i) {
    context.params[i] = 100 + i;
  }
  return context;
}

struct Case {
  const char* what;
  SaverContext stored;
  std::set<int> shown;
  std::vector<std::int32_t> taken;  // useMouse, tempo, transient, density, rotation after OK
};

}  // namespace

TEST(SettingsMapping, ShowsStoredValuesAndOkTakesThemBackWithFallbacks) {
  const Case cases[] = {
      {"first run", Settings(1, 0, 0, 0, 0), {1000, 1012, 1005, 1011, 1019}, {1, 0, 0, 0, 0}},
      {"all last", Settings(0, 6, 2, 2, 2), {1018, 1007, 1022, 1023}, {0, 6, 2, 2, 2}},
      {"middle", Settings(1, 3, 1, 1, 1), {1000, 1015, 1006, 1021, 1020}, {1, 3, 1, 1, 1}},
      {"tempo 5", Settings(0, 5, 0, 0, 0), {1017, 1005, 1011, 1019}, {0, 5, 0, 0, 0}},
      {"out of range", Settings(7, 9, 3, 5, 5), {1000, 1018}, {1, 6, 2, 2, 2}},
      {"negative", Settings(-1, -1, -1, -1, -1), {1000, 1018}, {1, 6, 2, 2, 2}},
  };
  for (const Case& c : cases) {
    FakeButtons buttons;
    ShowSettings(c.stored, buttons);
    EXPECT_EQ(buttons.checked, c.shown) << c.what;
    SaverContext context = c.stored;
    TakeSettings(context, buttons);
    EXPECT_EQ((std::vector<std::int32_t>{context.useMouse, context.params[0], context.params[1],
                                         context.params[2], context.params[3]}),
              c.taken)
        << c.what;
    for (int i = 4; i < kParamCount; ++i) {
      EXPECT_EQ(context.params[i], 100 + i) << c.what << ": entries 4 to 9 are carried";
    }
  }
}

TEST(SettingsMapping, OkTakesTheClickedRadios) {
  SaverContext context = Settings(1, 0, 0, 0, 0);
  FakeButtons buttons;
  ShowSettings(context, buttons);
  buttons.checked = {1016, 1007, 1021, 1023};  // 140, fast, medium, aggressive; mouse cleared
  TakeSettings(context, buttons);
  EXPECT_EQ(context.useMouse, 0);
  EXPECT_EQ(context.params[kTempoParam], 4);
  EXPECT_EQ(context.params[kTransientParam], 2);
  EXPECT_EQ(context.params[kDensityParam], 1);
  EXPECT_EQ(context.params[kRotationParam], 2);
}

TEST(SettingsMapping, OnlyOkSavesAndOnlyOkAndCancelClose) {
  EXPECT_EQ(SettingsCommand(kIdOk), DialogAction::kSaveAndClose);
  EXPECT_EQ(SettingsCommand(kIdCancel), DialogAction::kClose);
  for (int id : {0, 3, 1000, 1005, 1012, 1018, 1023, 0xFFFF}) {
    EXPECT_EQ(SettingsCommand(id), DialogAction::kNone) << id;
  }
}
