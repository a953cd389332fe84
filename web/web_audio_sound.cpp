// The samples handed to the page's Web Audio glue, and plays placed on its audio clock.
#include "web/web_audio_sound.h"

#include <algorithm>
#include <cmath>

extern "C" {
// The audio clock while the page's sound runs (else false): the time being mixed and its rate, and
// a time heard at a timer instant, all in seconds but the instant.
int ostinel_audio_now(double* mixed, double* rate, double* heard, double* heardAtMs);
// Slot `id` plays `frameCount` stereo 16-bit frames at 44100 Hz from `frames`, copied.
void ostinel_audio_load(int id, const unsigned char* frames, int frameCount);
// Plays slot `id` from its start at audio time `when` (0: at once), with a gain on each side.
void ostinel_audio_play(int id, double when, double gainLeft, double gainRight);
}

// The audio clock's frames laid onto the timer by what is heard when: a frame being mixed is heard
// the output's latency later.
struct WebAudioSound::Clocks {
  std::optional<StreamClock> stream;  // once sound runs: its rate is known then
  double rate = 0;
  // From a step's start to the sound: kPlayLatencyMs, and the output's latency as it was when the
  // sound started.
  std::uint32_t latencyFrames = 0;
};

struct AudioNow {
  std::uint64_t mixedFrame;  // the next frame mixed
  std::uint64_t heardFrame;  // a frame heard at heardAtMs
  double heardAtMs;
};

// The audio clock now, or nothing while sound does not run.
std::optional<AudioNow> WebAudioSound::Now() {
  Clocks& clocks = *clocks_;
  double mixed = 0, rate = 0, heard = 0, heardAtMs = 0;
  if (ostinel_audio_now(&mixed, &rate, &heard, &heardAtMs) == 0 || rate <= 0) {
    return std::nullopt;
  }
  if (!clocks.stream || rate != clocks.rate) {
    clocks.stream.emplace(static_cast<std::uint32_t>(rate));
    clocks.rate = rate;
    clocks.latencyFrames = static_cast<std::uint32_t>(
        std::lround((kPlayLatencyMs / 1000.0 + std::max(0.0, mixed - heard)) * rate));
  }
  return AudioNow{static_cast<std::uint64_t>(std::llround(mixed * rate)),
                  static_cast<std::uint64_t>(std::llround(heard * rate)), heardAtMs};
}

WebAudioSound::WebAudioSound() : clocks_(std::make_unique<Clocks>()) {}
WebAudioSound::~WebAudioSound() = default;

bool WebAudioSound::Load(int slot, const ParsedWave& wave) {
  if (!IsStereoPcm44100(wave.format) || wave.sampleData == nullptr) {
    return false;
  }
  ostinel_audio_load(slot, wave.sampleData, static_cast<int>(wave.sampleBytes / 4));
  return true;
}

void WebAudioSound::Play(const SamplePlay& play) {
  const std::optional<AudioNow> now = Now();
  if (!now) {
    return;
  }
  const std::uint64_t next = now->mixedFrame;
  const Clocks& clocks = *clocks_;
  const std::uint64_t start =
      clocks.stream->StartFrame(play.at, clocks.latencyFrames, next, clocks.latencyFrames);
  float left = 1.0f;
  float right = 1.0f;
  GainsFor(play.volume, play.pan, &left, &right);
  ostinel_audio_play(play.sample, start == next ? 0.0 : static_cast<double>(start) / clocks.rate,
                     left, right);
}

// The browser's pairing of its audio clock with the timer is coarse in places (Firefox's moves in
// steps of 20 ms): the stream clock follows it gently, as it does a thread's wake-ups.
void WebAudioSound::FollowClock() {
  if (const std::optional<AudioNow> now = Now()) {
    clocks_->stream->Follow(now->heardFrame, now->heardAtMs);
  }
}
