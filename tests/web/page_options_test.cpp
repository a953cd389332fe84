// The page's address: the settings by the table's option names and ranges, the seed, ui and debug;
// what is malformed, out of range or unknown is ignored with a short warning; a link to a piece
// reads back; starting again keeps the address's piece; the volume is never above the samples'.
#include "web/page_options.h"

#include <gtest/gtest.h>

namespace {

struct Case {
  const char* query;
  const char* settings;  // tempo, transient, density, rotation, use-mouse after applying; '.' kept
  long long seed;        // -1: none given
  bool ui;
  bool debug;
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
      {"", "11111", -1, true, false, 0},
      {"?seed=7&tempo=6&transient=2&density=2&rotation=2&use-mouse=0&ui=0", "62220", 7, false,
       false, 0},
      {"tempo=0&rotation=0", "01101", -1, true, false, 0},  // the '?' may be left out
      {"?seed=4294967295", "11111", 4294967295LL, true, false, 0},
      {"?seed=0&ui=1&debug=1", "11111", 0, true, true, 0},
      {"?tempo=3&tempo=5", "51111", -1, true, false, 0},  // the later one wins
      {"?tempo=7", "11111", -1, true, false, 1},
      {"?tempo=-1&transient=3&density=9&rotation=3&use-mouse=2", "11111", -1, true, false, 5},
      {"?seed=4294967296&ui=2&debug=2", "11111", -1, true, false, 3},
      {"?tempo=abc&density=&rotation&seed=-1", "11111", -1, true, false, 4},
      {"?tempo=+3&density=0x2&rotation=1.0&use-mouse=%30", "11111", -1, true, false, 4},
      {"?fbclid=x&tempo=2", "21111", -1, true, false, 1},
      {"?&&tempo=4&", "41111", -1, true, false, 0},
      // At most 10 warnings, then one that counts the rest.
      {"?a&b&c&d&e&f&g&h&i&j&k&l&tempo=2", "21111", -1, true, false, 11},
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
    EXPECT_EQ(options.debug, c.debug) << c.query;
    EXPECT_EQ(warnings.size(), c.warnings) << c.query;
  }
}

TEST(PageOptions, AWarningRepeatsALongValueCutShort) {
  // A 2 MB address: one parameter of 1 MB, then 100000 unknown ones.
  std::string query = "?tempo=" + std::string(1 << 20, '9');
  for (int i = 0; i < 100000; ++i) {
    query += "&x=" + std::to_string(i);
  }
  std::vector<std::string> warnings;
  ParsePageQuery(query, &warnings);
  ASSERT_EQ(warnings.size(), 11u);
  for (const std::string& warning : warnings) {
    EXPECT_LE(warning.size(), 120u) << warning.substr(0, 120);
  }
  EXPECT_EQ(warnings.back(), "ignoring 99991 more parameters");
}

TEST(PageOptions, StartingAgainKeepsTheAddressPieceAndANewPieceKeepsOnlyThePage) {
  const struct {
    const char* query;
    std::uint32_t seed;
    const char* again;
    const char* fresh;
  } cases[] = {
      {"", 7, "?seed=7", ""},
      {"?seed=42&tempo=6&density=2&fbclid=x", 42, "?seed=42&tempo=6&density=2", ""},
      {"?density=1&ui=0&debug=1", 9, "?seed=9&density=1&ui=0&debug=1", "?ui=0&debug=1"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> warnings;
    const PageOptions options = ParsePageQuery(c.query, &warnings);
    EXPECT_EQ(RestartQuery(options, &c.seed), c.again) << c.query;
    EXPECT_EQ(RestartQuery(options, nullptr), c.fresh) << c.query;
  }
}

TEST(PageOptions, TheVolumeIsNeverLouderThanTheSamplesAndMuteIsSilence) {
  const struct {
    PageVolume volume;
    double gain;
  } cases[] = {
      {{100, false}, 1.0}, {{50, false}, 0.25}, {{0, false}, 0.0},     {{100, true}, 0.0},
      {{150, false}, 1.0}, {{-20, false}, 0.0}, {{100000, true}, 0.0},
  };
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(VolumeGain(c.volume), c.gain) << c.volume.percent << " " << c.volume.muted;
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
