// The page's address as options: the dice's seed, the settings of the settings table by their
// option names, whether the controls show and whether the page reports its timing. A link carries
// them, so that it reproduces a piece; what it sets holds for that visit alone.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "web/core.h"

struct PageOptions {
  bool seedGiven = false;
  std::uint32_t seed = 0;
  bool ui = true;      // ui=0: the table alone, no hint and no controls
  bool debug = false;  // debug=1: the latency and the steps' timing in the console
  // The settings the address sets: given[i] for entry i of kSettings, its value in `settings`.
  bool given[kSettingCount] = {};
  Settings settings;
};

// The most warnings a query gives: past them, one more says how many were left unsaid.
inline constexpr std::size_t kMostWarnings = 10;
// The most characters of an ignored parameter that a warning repeats.
inline constexpr std::size_t kLongestEcho = 40;

// Reads a query such as "?seed=7&tempo=3&ui=0" (the '?' may be left out). Each setting takes a
// whole number within its range, the seed one from 0 to 4294967295, ui and debug 0 or 1. A
// parameter that is unknown, malformed or out of range is ignored, with a warning in `warnings`
// that repeats at most its first kLongestEcho characters; a later one of the same name wins.
PageOptions ParsePageQuery(const std::string& query, std::vector<std::string>* warnings);

// The settings the address sets, over `settings`.
void ApplyPageOptions(const PageOptions& options, Settings* settings);

// The query of a link to this piece: its seed and every setting of the table as it runs.
std::string PieceQuery(std::uint32_t seed, const Settings& settings);

// The query that starts this visit's piece again: the seed it runs with and what the address set
// (its settings, ui=0, debug=1). Without a seed: a new piece, with what the address said of the
// page alone (ui, debug) and none of its settings.
std::string RestartQuery(const PageOptions& options, const std::uint32_t* seed);

// The volume the page keeps: a share of the samples' own level, which is the most it plays at.
struct PageVolume {
  std::int32_t percent = 100;  // 0 to 100
  bool muted = false;
};

// The gain of the page's output for `volume`: 0 muted, else (percent / 100)^2, within [0, 1].
double VolumeGain(const PageVolume& volume);
