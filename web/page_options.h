// The page's address as options: the dice's seed, the settings of the settings table by their
// option names, and whether the controls show. A link carries them, so that it reproduces a piece.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "web/core.h"

struct PageOptions {
  bool seedGiven = false;
  std::uint32_t seed = 0;
  bool ui = true;  // ui=0: the table alone, no hint and no controls
  // The settings the address sets: given[i] for entry i of kSettings, its value in `settings`.
  bool given[kSettingCount] = {};
  Settings settings;
};

// Reads a query such as "?seed=7&tempo=3&ui=0" (the '?' may be left out). Each setting takes a
// whole number within its range, the seed one from 0 to 4294967295, ui 0 or 1. A parameter that is
// unknown, malformed or out of range is ignored, with one line in `warnings`; a later one of the
// same name wins.
PageOptions ParsePageQuery(const std::string& query, std::vector<std::string>* warnings);

// The settings the address sets, over `settings`.
void ApplyPageOptions(const PageOptions& options, Settings* settings);

// The query of a link to this piece: its seed and every setting of the table as it runs.
std::string PieceQuery(std::uint32_t seed, const Settings& settings);
