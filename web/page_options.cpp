// Reading the page's address with the settings table's option names and ranges.
#include "web/page_options.h"

#include "web/core.h"

namespace {

constexpr std::int64_t kLargestSeed = 0xFFFFFFFF;

// The parameter's value, or a warning when it has none or it is out of [min, max].
bool TakeNumber(const std::string& pair, std::int64_t min, std::int64_t max, std::int64_t* number,
                std::vector<std::string>* warnings) {
  const std::size_t equals = pair.find('=');
  if (equals != std::string::npos &&
      ReadNumber(pair.substr(equals + 1), min, max, number) == NumberReading::kOk) {
    return true;
  }
  warnings->push_back("ignoring '" + pair + "': " + pair.substr(0, equals) +
                      " takes a whole number from " + std::to_string(min) + " to " +
                      std::to_string(max));
  return false;
}

}  // namespace

PageOptions ParsePageQuery(const std::string& query, std::vector<std::string>* warnings) {
  PageOptions options;
  std::size_t begin = !query.empty() && query[0] == '?' ? 1 : 0;
  while (begin < query.size()) {
    std::size_t end = query.find('&', begin);
    if (end == std::string::npos) {
      end = query.size();
    }
    const std::string pair = query.substr(begin, end - begin);
    begin = end + 1;
    if (pair.empty()) {
      continue;
    }
    const std::string name = pair.substr(0, pair.find('='));
    std::int64_t number = 0;
    if (name == "seed") {
      if (TakeNumber(pair, 0, kLargestSeed, &number, warnings)) {
        options.seedGiven = true;
        options.seed = static_cast<std::uint32_t>(number);
      }
    } else if (name == "ui") {
      if (TakeNumber(pair, 0, 1, &number, warnings)) {
        options.ui = number == 1;
      }
    } else if (const SettingInfo* setting = FindSetting(name.c_str())) {
      if (TakeNumber(pair, setting->min, setting->max, &number, warnings)) {
        options.given[setting - kSettings] = true;
        options.settings.Of(*setting) = static_cast<std::int32_t>(number);
      }
    } else {
      warnings->push_back("ignoring '" + pair + "': no such parameter");
    }
  }
  return options;
}

void ApplyPageOptions(const PageOptions& options, Settings* settings) {
  for (int i = 0; i < kSettingCount; ++i) {
    if (options.given[i]) {
      settings->Of(kSettings[i]) = options.settings.Of(kSettings[i]);
    }
  }
}

std::string PieceQuery(std::uint32_t seed, const Settings& settings) {
  std::string query = "?seed=" + std::to_string(seed);
  for (const SettingInfo& setting : kSettings) {
    query += "&" + std::string(setting.option) + "=" + std::to_string(settings.Of(setting));
  }
  return query;
}
