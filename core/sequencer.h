// The pattern matrix and the step sequencer: the cells the screen shows, the clock over 8 steps,
// the triggering of each track's sample, and the dice that keep the pattern moving.
#pragma once

#include <cstdint>
#include <vector>

#include "audio/sample_play.h"

struct Random;
struct Saver;
struct Settings;

inline constexpr int kMaxTracks = 30;
inline constexpr int kSteps = 8;

struct EngineState {
  std::int32_t trackCount = 25;
  std::uint8_t PatternMatrix[kMaxTracks * kSteps] = {};  // track * 8 + step; 1 on, 0 off
  std::uint8_t trackMuted[kMaxTracks] = {};
  float trackLevel[kMaxTracks] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
                                  1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
  std::int32_t accentTrack = 0;
  std::int32_t currentStep = 0;
  std::int32_t previousStep = 0;
  // Derived from the settings by ConfigureSequencer; these are the defaults' values.
  std::int32_t cyclePeriodMs = 2000;
  float stepPeriodMs = 250.0f;
  std::int32_t densityDivisor = 8;
  std::int32_t mutationChance = 2000;
};

// The tempo indexes that give a bar of at least 1 ms: -2 (6000 ms) to 5997 (1 ms).
inline constexpr std::int32_t kSlowestTempoIndex = -2;
inline constexpr std::int32_t kFastestTempoIndex = 5997;

// Tempo, density and mutation chance from the settings' params 0 to 2. Draws nothing.
void ConfigureSequencer(EngineState& engine, const Settings& settings);

// One tick at the saver's frameTimeMs: the step, the plays of a new step (added to `plays`, each
// due at the instant its step began), and at step 7 the four dice.
void SequencerTick(Saver& saver, std::vector<SamplePlay>* plays);

// Reseeds the generator with 10 and clears the pattern and the mutes.
void ResetMatrix(EngineState& engine, Random& random);

// Switches cells and mutes of random tracks: 300 times, five draws each.
void TransformMatrix(EngineState& engine, Random& random);
