// The sample bank's voices and their load order.
#include "core/sample_bank.h"
#include "core/shared_state.h"

SampleVoice SampleBank[kSampleSlots];

const int kSampleLoadOrder[kLoadedSlots] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12,
                                            13, 15, 16, 17, 18, 14, 19, 20, 21, 22, 23, 24};

int SampleResourceId(int slot) { return slot <= 22 ? 133 + slot : 134 + slot; }

void LoadSampleBank(WindowHandle saverWindow) {
  for (int slot : kSampleLoadOrder) {
    SampleBank[slot].LoadFromResource(SampleResourceId(slot), saverWindow);
  }
}
