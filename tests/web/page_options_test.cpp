// The page's address: the settings by the table's option names and ranges, the seed and ui; what
// is malformed, out of range or unknown is ignored with a warning; a link to a piece reads back.
#include "web/page_options.h"

#include <gtest/gtest.h>

namespace {

struct Case {
  const char* query;
  const char* settings;  // tempo, transient, density, rotation, use-mouse after applying; '.' kept
  long long seed;        // -1: none given
  bool ui;
  std::size_t warnings;
};

// The settings before the address: tempo 1, transient 1, density 1, rotation 1,
// use-mouse 1.
std::string SettingsAfter(const PageOptions& options) {
  Settings settings;
  for (int i = 0; i < 4; ++i) {
    settings.params[i] = 1;
  }
  ApplyPageOptions(options, &settings);
  std::string text;
  for (const SettingInfo& setting : kSettings) {
    text += std::to_string(settings.Of(setting));
  }
  return text;
}

TEST(PageOptions, ReadsTheAddress) {
  const Case cases[] = {
      {"", "11111", -1, true, 0},
      {"?seed=7&tempo=6&transient=2&density=2&rotation=2&use-mouse=0&ui=0", "62220", 7, false, 0},
      {"tempo=0&rotation=0", "01101", -1, true, 0},  // the '?' may be left out
      {"?seed=4294967295", "11111", 4294967295LL, true, 0},
      {"?seed=0&ui=1", "11111", 0, true, 0},
      {"?tempo=3&tempo=5", "51111", -1, true, 0},  // the later one wins
      {"?tempo=7", "11111", -1, true, 1},
      {"?tempo=-1&transient=3&density=9&rotation=3&use-mouse=2", "11111", -1, true, 5},
      {"?seed=4294967296&ui=2", "11111", -1, true, 2},
      {"?tempo=abc&density=&rotation&seed=-1", "11111", -1, true, 4},
      {"?tempo=+3&density=0x2&rotation=1.0&use-mouse=%30", "11111", -1, true, 4},
      {"?fbclid=x&tempo=2", "21111", -1, true, 1},
      {"?&&tempo=4&", "41111", -1, true, 0},
  };
  for (const Case& c : cases) {
    std::vector<std::string> warnings;
    const PageOptions options = ParsePageQuery(c.query, &warnings);
    EXPECT_EQ(SettingsAfter(options), c.settings) << c.query;
    EXPECT_EQ(options.seedGiven, c.seed >= 0) << c.query;
    if (c.seed >= 0) {
      EXPECT_EQ(options.seed, static_cast<std::uint32_t>(c.seed)) << c.query;
    }
    EXPECT_EQ(options.ui, c.ui) << c.query;
    EXPECT_EQ(warnings.size(), c.warnings) << c.query;
  }
}

TEST(PageOptions, TheLinkToAPieceReproducesIt) {
  Settings settings;
  const std::int32_t values[] = {5, 2, 0, 1};
  for (int i = 0; i < 4; ++i) {
    settings.params[i] = values[i];
  }
  settings.useMouse = 0;
  const std::string query = PieceQuery(3816359168u, settings);
  EXPECT_EQ(query, "?seed=3816359168&tempo=5&transient=2&density=0&rotation=1&use-mouse=0");
  std::vector<std::string> warnings;
  const PageOptions options = ParsePageQuery(query, &warnings);
  EXPECT_TRUE(warnings.empty());
  EXPECT_EQ(options.seed, 3816359168u);
  EXPECT_EQ(SettingsAfter(options), "52010");
}

}  // namespace
