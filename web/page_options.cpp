// Reading the page's address with the settings table's option names and ranges, and writing the
// addresses the page links to.
#include "web/page_options.h"

#include <algorithm>

#include "web/core.h"

namespace {

constexpr std::int64_t kLargestSeed = 0xFFFFFFFF;

// A parameter as a warning repeats it: a long one (a pasted text, an attack) cut short.
std::string Echo(const std::string& pair) {
  return pair.size() <= kLongestEcho ? pair : pair.substr(0, kLongestEcho) + "...";
}

// The warnings of one query, the first kMostWarnings of them in full.
class Warnings {
 public:
  explicit Warnings(std::vector<std::string>* out) : out_(out) {}
  ~Warnings() {
    if (unsaid_ > 0) {
      out_->push_back("ignoring " + std::to_string(unsaid_) + " more parameters");
    }
  }
  Warnings(const Warnings&) = delete;
  Warnings& operator=(const Warnings&) = delete;

  void Add(const std::string& pair, const std::string& why) {
    if (said_ < kMostWarnings) {
      out_->push_back("ignoring '" + Echo(pair) + "': " + why);
      ++said_;
    } else {
      ++unsaid_;
    }
  }

 private:
  std::vector<std::string>* out_;
  std::size_t said_ = 0;
  std::size_t unsaid_ = 0;
};

// The parameter's value, or a warning when it has none or it is out of [min, max].
bool TakeNumber(const std::string& pair, std::int64_t min, std::int64_t max, std::int64_t* number,
                Warnings* warnings) {
  const std::size_t equals = pair.find('=');
  if (equals != std::string::npos &&
      ReadNumber(pair.substr(equals + 1), min, max, number) == NumberReading::kOk) {
    return true;
  }
  warnings->Add(pair, Echo(pair.substr(0, equals)) + " takes a whole number from " +
                          std::to_string(min) + " to " + std::to_string(max));
  return false;
}

}  // namespace

PageOptions ParsePageQuery(const std::string& query, std::vector<std::string>* out) {
  PageOptions options;
  Warnings warnings(out);
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
      if (TakeNumber(pair, 0, kLargestSeed, &number, &warnings)) {
        options.seedGiven = true;
        options.seed = static_cast<std::uint32_t>(number);
      }
    } else if (name == "ui" || name == "debug") {
      if (TakeNumber(pair, 0, 1, &number, &warnings)) {
        (name == "ui" ? options.ui : options.debug) = number == 1;
      }
    } else if (const SettingInfo* setting = FindSetting(name.c_str())) {
      if (TakeNumber(pair, setting->min, setting->max, &number, &warnings)) {
        options.given[setting - kSettings] = true;
        options.settings.Of(*setting) = static_cast<std::int32_t>(number);
      }
    } else {
      warnings.Add(pair, "no such parameter");
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

std::string RestartQuery(const PageOptions& options, const std::uint32_t* seed) {
  std::string query;
  if (seed != nullptr) {
    query += "&seed=" + std::to_string(*seed);
    for (int i = 0; i < kSettingCount; ++i) {
      if (options.given[i]) {
        query += "&" + std::string(kSettings[i].option) + "=" +
                 std::to_string(options.settings.Of(kSettings[i]));
      }
    }
  }
  if (!options.ui) {
    query += "&ui=0";
  }
  if (options.debug) {
    query += "&debug=1";
  }
  return query.empty() ? "" : "?" + query.substr(1);
}

double VolumeGain(const PageVolume& volume) {
  if (volume.muted) {
    return 0.0;
  }
  const double share = std::clamp(volume.percent, 0, 100) / 100.0;
  return share * share;
}
