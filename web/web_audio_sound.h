// The samples heard through Web Audio: each slot's sample becomes an AudioBuffer, and a play starts
// a source node on its step's instant laid onto the audio clock, plus a latency that follows what
// the output and the frames need, with DirectSound's gains on each side, cutting the slot's
// previous play at that moment.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "web/core.h"

// From a step's start to its sound: at least 50 ms, at most 500 ms; 35 ms over what the frames of
// the last 5 s needed (the output's own delay included), coming down 3 ms a second after that, a
// change that stays within 2 ms a bar at the fastest tempo.
inline constexpr PlayLatency::Rule kPageLatency{150, 50, 500, 35, 5000, 3};
// The latency grows only when a play comes this close to being late: the needs wander by a few ms
// with the machine's load, and each growth moves the beats after it.
inline constexpr double kLatencyGuardMs = 10;

struct AudioNow;

class WebAudioSound {
 public:
  WebAudioSound();
  ~WebAudioSound();
  WebAudioSound(const WebAudioSound&) = delete;
  WebAudioSound& operator=(const WebAudioSound&) = delete;

  // Slot `slot` plays the samples of `wave`: false unless they are 44100 Hz stereo 16-bit PCM.
  bool Load(int slot, const ParsedWave& wave);

  // Before each run of frames: the audio clock tied to the piece's time, whose 0 is the timer's
  // `originMs`, while sound runs.
  void FollowClock(double originMs);

  // A frame at `nowMs` of the piece's time, about to hand over its plays, may hold a step that
  // began right after `sinceMs`: the latency grows at once if such a play would be late.
  void Expect(double sinceMs, double nowMs);

  // Where a play went: when it will be heard, on the piece's time by the browser's own pairing of
  // its clocks, and whether it starts late, at once, its instant gone even at the latency's limit.
  struct Placed {
    double heardMs;
    bool late;
  };
  // Plays a sample on its instant plus the latency; before the page's sound runs, a play is not
  // heard (nothing).
  std::optional<Placed> Play(const SamplePlay& play, double nowMs);

  // The latency at `nowMs` of the piece's time; 0 while there is no sound.
  double LatencyMs(double nowMs);

 private:
  struct Clocks;
  std::optional<AudioNow> Now();
  double NeedMs(const AudioNow& now, double at) const;
  void Note(double needMs, double nowMs);
  std::unique_ptr<Clocks> clocks_;
};
