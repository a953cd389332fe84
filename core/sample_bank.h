// The sample bank: the 30 voices the tracks play (track i plays slot i), and their loading from the
// program's 25 WAVE resources.
#pragma once

#include "audio/sample_voice.h"
#include "base/handles.h"

inline constexpr int kSampleSlots = 30;
inline constexpr int kLoadedSlots = 25;

// The WAVE resource of slot 0..24: 133 + slot up to slot 22, then 157 and 158 (there is no 156).
int SampleResourceId(int slot);

// The slots in the order they are loaded.
extern const int kSampleLoadOrder[kLoadedSlots];

// Loads slots 0..24 from their resources; `saverWindow` becomes the sound device's window. A slot
// whose load fails stays silent; the others are unaffected.
void LoadSampleBank(WindowHandle saverWindow);
