// The samples handed to the page's Web Audio glue, and plays placed on its audio clock.
#include "web/web_audio_sound.h"

#include <algorithm>
#include <cmath>

extern "C" {
// The audio clock while the page's sound runs (else false): the time being mixed and its rate, and
// a time heard at a timer instant, all in seconds but the instant; and the timer now.
int ostinel_audio_now(double* mixed, double* rate, double* heard, double* heardAtMs, double* nowMs);
// Slot `id` plays `frameCount` stereo 16-bit frames at 44100 Hz from `frames`, copied.
void ostinel_audio_load(int id, const unsigned char* frames, int frameCount);
// Plays slot `id` from its start at audio time `when` (0: at once), with a gain on each side.
void ostinel_audio_play(int id, double when, double gainLeft, double gainRight);
}

// The audio clock's frames laid onto the piece's time by what is heard when: a frame being mixed
// is heard the output's latency later.
struct WebAudioSound::Clocks {
  std::optional<StreamClock> stream;  // once sound runs: its rate is known then
  double rate = 0;
  double originMs = 0;  // the timer instant of the piece's time 0
  PlayLatency latency{kPageLatency};
  // The browser's latest pairing that was fresh: a frame heard at an instant of the piece's time.
  std::uint64_t pairedFrame = 0;
  double pairedAtMs = 0;
};

struct AudioNow {
  std::uint64_t mixedFrame;  // the next frame mixed
  bool paired;               // the browser's pairing is fresh: heardFrame is heard at heardAtMs
  std::uint64_t heardFrame;
  double heardAtMs;  // on the piece's time
};

// A pairing stamped longer ago than this, or later than now, is not trusted: the output has stood
// still (starved on a busy machine), and what it says no longer holds once it moves again.
constexpr double kStalestPairingMs = 100;

// The audio clock now, or nothing while sound does not run.
std::optional<AudioNow> WebAudioSound::Now() {
  Clocks& clocks = *clocks_;
  double mixed = 0, rate = 0, heard = 0, heardAtMs = 0, nowMs = 0;
  if (ostinel_audio_now(&mixed, &rate, &heard, &heardAtMs, &nowMs) == 0 || rate <= 0) {
    return std::nullopt;
  }
  if (!clocks.stream || rate != clocks.rate) {
    clocks.stream.emplace(static_cast<std::uint32_t>(rate));
    clocks.rate = rate;
  }
  const bool paired = heardAtMs <= nowMs + 1 && nowMs - heardAtMs <= kStalestPairingMs;
  const AudioNow now{static_cast<std::uint64_t>(std::llround(mixed * rate)), paired,
                     static_cast<std::uint64_t>(std::llround(heard * rate)),
                     heardAtMs - clocks.originMs};
  if (paired) {
    clocks.pairedFrame = now.heardFrame;
    clocks.pairedAtMs = now.heardAtMs;
  }
  return now;
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

// The browser's pairing of its audio clock with the timer is coarse in places (Firefox's moves in
// steps of 20 ms): the stream clock follows it gently, as it does a thread's wake-ups, and anchors
// afresh when it jumps (the output's delay changed, the machine slept).
void WebAudioSound::FollowClock(double originMs) {
  clocks_->originMs = originMs;
  if (const std::optional<AudioNow> now = Now(); now && now->paired) {
    clocks_->stream->Follow(now->heardFrame, now->heardAtMs);
  }
}

// What a play due at `at` needs: the time from `at` until the next frame mixed is heard.
double WebAudioSound::NeedMs(const AudioNow& now, double at) const {
  const std::int64_t frames =
      static_cast<std::int64_t>(now.mixedFrame) - clocks_->stream->FrameOf(at);
  return static_cast<double>(frames) * 1000.0 / clocks_->rate;
}

void WebAudioSound::Expect(double sinceMs, double nowMs) {
  if (const std::optional<AudioNow> now = Now(); now && clocks_->stream->Anchored()) {
    Note(NeedMs(*now, sinceMs), nowMs);
  }
}

// A need within the guard of the latency raises it to the need plus the margin; a smaller one is
// remembered as no more than the latency less the margin, so that it holds the latency where it
// is without raising it.
void WebAudioSound::Note(double needMs, double nowMs) {
  PlayLatency& latency = clocks_->latency;
  const double current = latency.At(nowMs);
  latency.Note(needMs > current - kLatencyGuardMs
                   ? needMs
                   : std::min(needMs, current - kPageLatency.marginMs),
               nowMs);
}

std::optional<WebAudioSound::Placed> WebAudioSound::Play(const SamplePlay& play, double nowMs) {
  const std::optional<AudioNow> now = Now();
  Clocks& clocks = *clocks_;
  if (!now || !clocks.stream->Anchored()) {
    return std::nullopt;
  }
  Note(NeedMs(*now, play.at), nowMs);
  const auto latency =
      static_cast<std::uint32_t>(std::lround(clocks.latency.At(nowMs) * clocks.rate / 1000.0));
  const std::uint64_t next = now->mixedFrame;
  // A play may lie further ahead than the latency: the audio clock stood still a while (its
  // output starved on a busy machine) while the frames went on. On its instant it keeps time with
  // the others when the output comes back.
  const auto longestWait = static_cast<std::uint32_t>(latency + std::lround(clocks.rate));
  const std::uint64_t start = clocks.stream->StartFrame(play.at, latency, next, longestWait);
  float left = 1.0f;
  float right = 1.0f;
  GainsFor(play.volume, play.pan, &left, &right);
  ostinel_audio_play(play.sample, start == next ? 0.0 : static_cast<double>(start) / clocks.rate,
                     left, right);
  const double heard =
      clocks.pairedAtMs +
      (static_cast<double>(start) - static_cast<double>(clocks.pairedFrame)) * 1000.0 / clocks.rate;
  return Placed{heard, start == next};
}

double WebAudioSound::LatencyMs(double nowMs) {
  return clocks_->stream ? clocks_->latency.At(nowMs) : 0.0;
}
