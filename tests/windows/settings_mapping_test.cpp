// The settings dialog's mapping: what each stored value shows, and what OK takes back.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "windows/settings_mapping.h"

namespace {

struct FakeButtons final : DialogButtons {
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

}  // namespace

TEST(SettingsMapping, ShowsStoredValuesAndOkTakesThemBackWithFallbacks) {
  struct Case {
    std::vector<std::int32_t> stored;  // useMouse, tempo, transient, density, rotation
    std::set<int> shown;
    std::vector<std::int32_t> taken;
  };
  const Case cases[] = {
      {{1, 0, 0, 0, 0}, {1000, 1012, 1005, 1011, 1019}, {1, 0, 0, 0, 0}},
      {{0, 6, 2, 2, 2}, {1018, 1007, 1022, 1023}, {0, 6, 2, 2, 2}},
      {{1, 3, 1, 1, 1}, {1000, 1015, 1006, 1021, 1020}, {1, 3, 1, 1, 1}},
      {{0, 5, 0, 0, 0}, {1017, 1005, 1011, 1019}, {0, 5, 0, 0, 0}},
      {{7, 9, 3, 5, 5}, {1000, 1018}, {1, 6, 2, 2, 2}},
      {{-1, -1, -1, -1, -1}, {1000, 1018}, {1, 6, 2, 2, 2}},
  };
  for (const Case& c : cases) {
    SaverContext context;
    context.useMouse = c.stored[0];
    for (int i = 0; i < kParamCount; ++i) {
      context.params[i] = i < 4 ? c.stored[i + 1] : 100 + i;
    }
    FakeButtons buttons;
    ShowSettings(context, buttons);
    EXPECT_EQ(buttons.checked, c.shown) << c.stored[1];
    TakeSettings(context, buttons);
    EXPECT_EQ((std::vector<std::int32_t>{context.useMouse, context.params[0], context.params[1],
                                         context.params[2], context.params[3]}),
              c.taken);
    EXPECT_EQ(context.params[9], 109) << "entries 4 to 9 are carried";
  }
  EXPECT_EQ(SettingsCommand(kIdOk), DialogAction::kSaveAndClose);
  EXPECT_EQ(SettingsCommand(kIdCancel), DialogAction::kClose);
  EXPECT_EQ(SettingsCommand(1016), DialogAction::kNone);
}
