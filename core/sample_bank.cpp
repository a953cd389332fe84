// The sample bank's voices, their load order and resources.
#include "core/sample_bank.h"

#include "base/program_resources.h"

const int kSampleLoadOrder[kLoadedSlots] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12,
                                            13, 15, 16, 17, 18, 14, 19, 20, 21, 22, 23, 24};

int SampleResourceId(int slot) {
  return slot <= 22 ? 133 + slot : 134 + slot;
}

template <std::size_t... I>
std::array<SampleVoice, kSampleSlots> VoiceBank::MakeVoices(VoiceDevice& device,
                                                            std::index_sequence<I...>) {
  return {{(static_cast<void>(I), SampleVoice(device))...}};
}

VoiceBank::VoiceBank() : voices(MakeVoices(device, std::make_index_sequence<kSampleSlots>())) {}

void LoadSampleBank(VoiceBank& bank, WindowHandle saverWindow) {
  for (int slot : kSampleLoadOrder) {
    bank[slot].LoadFromResource(SampleResourceId(slot), saverWindow);
  }
}

void PlayOnVoices(VoiceBank& bank, const std::vector<SamplePlay>& plays) {
  for (const SamplePlay& play : plays) {
    if (play.sample >= 0 && play.sample < kSampleSlots) {
      bank[play.sample].Play(play.volume, play.pan, 0, false);
    }
  }
}

int LoadSamples(ProgramResources& resources,
                const std::function<bool(int slot, const ParsedWave& wave)>& load) {
  int loaded = 0;
  for (int slot : kSampleLoadOrder) {
    std::size_t bytes = 0;
    const unsigned char* image = resources.FindWave(SampleResourceId(slot), &bytes);
    ParsedWave wave;
    if (image != nullptr && ParseWave(image, bytes, &wave) && load(slot, wave)) {
      ++loaded;
    }
  }
  return loaded;
}
