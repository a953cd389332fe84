// The sample bank: the 25 drum samples the tracks play (track i plays slot i), found among the
// program's WAVE resources, and the 30 voices that play them on DirectSound in the Windows saver.
#pragma once

#include <array>
#include <functional>
#include <utility>
#include <vector>

#include "audio/sample_play.h"
#include "audio/sample_voice.h"
#include "audio/wave.h"
#include "base/handles.h"

class ProgramResources;

inline constexpr int kSampleSlots = 30;
inline constexpr int kLoadedSlots = 25;

// The WAVE resource of slot 0..24: 133 + slot up to slot 22, then 157 and 158 (there is no 156).
int SampleResourceId(int slot);

// The slots in the order they are loaded.
extern const int kSampleLoadOrder[kLoadedSlots];

// The 30 voices over one shared device, which outlives them: voices are made in index order and
// released in reverse, the last one releasing the device.
class VoiceBank {
 public:
  VoiceBank();
  VoiceBank(const VoiceBank&) = delete;
  VoiceBank& operator=(const VoiceBank&) = delete;

  SampleVoice& operator[](int slot) { return voices[static_cast<std::size_t>(slot)]; }

  VoiceDevice device;
  std::array<SampleVoice, kSampleSlots> voices;

 private:
  template <std::size_t... I>
  static std::array<SampleVoice, kSampleSlots> MakeVoices(VoiceDevice& device,
                                                          std::index_sequence<I...>);
};

// Loads slots 0..24 of the bank from their resources; `saverWindow` becomes the sound device's
// window. A slot whose load fails stays silent; the others are unaffected.
void LoadSampleBank(VoiceBank& bank, WindowHandle saverWindow);

// Each play on its voice, from the sample's start, as the sequencer always plays.
void PlayOnVoices(VoiceBank& bank, const std::vector<SamplePlay>& plays);

// For a mix of our own: each slot's sample as parsed from its resource, handed to `load` in the
// bank's load order. Returns how many `load` took.
int LoadSamples(ProgramResources& resources,
                const std::function<bool(int slot, const ParsedWave& wave)>& load);
