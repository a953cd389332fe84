// Loading and saving the settings against an in-memory registry.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/saver_context.h"
#include "fake_settings_store.h"

namespace {

SaverContext Loaded(FakeSettingsStore& store) {
  SaverContext context;
  context.LoadSystemSettings(store);
  context.LoadSettings(store);
  return context;
}

std::vector<std::int32_t> Params(const SaverContext& context) {
  return std::vector<std::int32_t>(context.params, context.params + kParamCount);
}

}  // namespace

TEST(Settings, DefaultsWithNoKeysAtAll) {
  FakeSettingsStore store;
  const SaverContext context = Loaded(store);
  EXPECT_EQ(context.passwordDelay, 15);
  EXPECT_EQ(context.mouseThreshold, 50);
  EXPECT_FALSE(context.checkingPassword);
  EXPECT_EQ(context.useMouse, 1);
  EXPECT_EQ(Params(context), std::vector<std::int32_t>(kParamCount, 0));
  EXPECT_EQ(context.window, 0);
  EXPECT_FALSE(context.closeRequested);
  EXPECT_EQ(context.timerId, 0u);
  EXPECT_EQ(store.openKeys, 0);
}

TEST(Settings, StoredValuesAreTakenAsTheyCome) {
  FakeSettingsStore store;
  store.SetDword(kSystemSaverKey, "Password Delay", 0);
  store.SetDword(kSaverKey, "Rotate", 7);
  for (int i = 0; i < kParamCount; ++i) {
    store.SetDword(kSaverKey, "Param" + std::to_string(i), static_cast<std::uint32_t>(i * 10 + 9));
  }
  store.SetDword(kSaverKey, "Param3", 0xffffffffu);
  const SaverContext context = Loaded(store);
  EXPECT_EQ(context.passwordDelay, 0);
  EXPECT_EQ(context.useMouse, 7);
  EXPECT_EQ(Params(context),
            (std::vector<std::int32_t>{9, 19, 29, -1, 49, 59, 69, 79, 89, 99}));
  EXPECT_EQ(store.openKeys, 0);
}

TEST(Settings, ValuesThatDoNotFitFourBytesKeepTheirDefaults) {
  struct Case {
    const char* what;
    std::vector<unsigned char> data;
    std::int32_t param;
    std::int32_t rotate;
  };
  const Case cases[] = {
      {"eight bytes", {1, 0, 0, 0, 0, 0, 0, 0}, 0, 1},
      {"five bytes", {2, 0, 0, 0, 9}, 0, 1},
      {"four bytes, any type", {0x34, 0x12, 0, 0}, 0x1234, 0x1234},
      {"two bytes fill the start", {0x34, 0x12}, 0x1234, 0x1234},
      {"one byte", {0xff}, 0xff, 0xff},
      {"no bytes", {}, 0, 0},
  };
  for (const Case& c : cases) {
    FakeSettingsStore store;
    store.SetBytes(kSaverKey, "Rotate", c.data);
    store.SetBytes(kSaverKey, "Param2", c.data);
    store.SetDword(kSaverKey, "Param3", 2);
    const SaverContext context = Loaded(store);
    EXPECT_EQ(context.params[kDensityParam], c.param) << c.what;
    EXPECT_EQ(context.useMouse, c.rotate) << c.what;
    EXPECT_EQ(context.params[kRotationParam], 2) << c.what << ": the next value is read normally";
  }
}

TEST(Settings, LoadsQueryInOrderAndCloseTheirKeys) {
  FakeSettingsStore store;
  store.AddKey(kSystemSaverKey);
  store.AddKey(kSaverKey);
  Loaded(store);
  std::vector<std::string> expected = {std::string("open ") + kSystemSaverKey,
                                       "query Password Delay", "close",
                                       std::string("open ") + kSaverKey, "query Rotate"};
  for (int i = 0; i < kParamCount; ++i) {
    expected.push_back("query Param" + std::to_string(i));
  }
  expected.push_back("close");
  EXPECT_EQ(store.calls, expected);
  EXPECT_EQ(store.openKeys, 0);
}

TEST(Settings, SaveWritesExactlyElevenDwordsAndCarriesTheUnusedParams) {
  FakeSettingsStore store;
  store.SetDword(kSaverKey, "Param5", 123);
  store.SetBytes(kSaverKey, "Param6", {1, 2, 3, 4, 5, 6, 7, 8});  // too long: saved back as 0
  SaverContext context = Loaded(store);
  context.useMouse = 0;
  context.params[kTempoParam] = 9;
  context.SaveSettings(store);

  const FakeSettingsStore::Values& values = store.ValuesOf(kSaverKey);
  std::vector<std::string> names;
  for (const auto& entry : values) {
    names.push_back(entry.first);
    EXPECT_EQ(entry.second.type, FakeSettingsStore::kRegDword) << entry.first;
    EXPECT_EQ(entry.second.data.size(), 4u) << entry.first;
  }
  EXPECT_EQ(names, (std::vector<std::string>{"Param0", "Param1", "Param2", "Param3", "Param4",
                                             "Param5", "Param6", "Param7", "Param8", "Param9",
                                             "Rotate"}));
  const SaverContext reloaded = Loaded(store);
  EXPECT_EQ(reloaded.useMouse, 0);
  EXPECT_EQ(Params(reloaded), (std::vector<std::int32_t>{9, 0, 0, 0, 0, 123, 0, 0, 0, 0}));
  EXPECT_EQ(store.openKeys, 0);
}

TEST(Settings, SaveWritesRotateFirstThenParamsInOrder) {
  FakeSettingsStore store;
  SaverContext context = Loaded(store);
  context.SaveSettings(store);
  std::vector<std::string> writes;
  for (const std::string& call : store.calls) {
    if (call.rfind("write ", 0) == 0 || call.rfind("create ", 0) == 0 || call == "close") {
      writes.push_back(call);
    }
  }
  std::vector<std::string> expected = {std::string("create ") + kSaverKey, "write Rotate"};
  for (int i = 0; i < kParamCount; ++i) {
    expected.push_back("write Param" + std::to_string(i));
  }
  expected.push_back("close");
  EXPECT_EQ(writes, expected);
}

TEST(Settings, FailedKeyCreationWritesNothingAndKeepsTheRecord) {
  FakeSettingsStore store;
  store.failCreate = true;
  SaverContext context = Loaded(store);
  context.params[kTempoParam] = 4;
  context.SaveSettings(store);
  EXPECT_FALSE(store.HasKey(kSaverKey));
  for (const std::string& call : store.calls) {
    EXPECT_NE(call.rfind("write ", 0), 0u) << call;
  }
  EXPECT_EQ(context.params[kTempoParam], 4);
  EXPECT_EQ(store.openKeys, 0);
}
