// The sound mixed in software: samples mixed into 44100 Hz stereo 16-bit frames, with DirectSound's
// volume in hundredths of a decibel, its pan law and its one-shot restart.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "audio/play_latency.h"
#include "audio/sample_play.h"
#include "audio/stream_clock.h"
#include "audio/wave.h"

inline constexpr std::uint32_t kMixRate = 44100;

// The latency of a mix heard as it is made (the hack's): from 38 ms and never below, up at once to
// 15 ms over the largest need of the last 10 s, never past 150 ms, and down 2 ms a second once
// those needs are forgotten: slowly enough that a gap between onsets at 180 beats a minute
// shortens by 0.17 ms meanwhile, and that a need coming back every few seconds keeps it in place.
inline constexpr PlayLatency::Rule kRealTimePlayLatency{38, 38, 150, 15, 10000, 2};

// How a sample sounds from a given frame on: where in its frames, how loud on each side, once or
// over and over.
struct MixStart {
  std::uint32_t position = 0;
  bool looping = false;
  float gainLeft = 1.0f;
  float gainRight = 1.0f;
};

// One slot as the mixer sees it: 16-bit stereo frames, what it plays now, and the start a play has
// set for a frame still to come.
struct MixVoice {
  const std::int16_t* frames = nullptr;  // interleaved left, right
  std::uint32_t frameCount = 0;
  std::uint32_t position = 0;  // the next frame to play
  bool playing = false;
  bool looping = false;
  float gainLeft = 1.0f;
  float gainRight = 1.0f;
  bool startPending = false;
  std::uint64_t startFrame = 0;  // the stream frame at which `start` takes over
  MixStart start;
};

// Adds every playing voice into `out` (`frameCount` stereo frames, the first of them stream frame
// `firstFrame`), summing in float and clipping once to 16 bits, and moves each voice on. A pending
// start takes over on its frame, cutting what the voice played before. A one-shot stops at its
// end; a loop wraps. Allocates nothing.
void MixVoices(MixVoice* const* voices, std::size_t voiceCount, std::int16_t* out,
               std::size_t frameCount, std::uint64_t firstFrame);

// DirectSound's level laws: a volume of v hundredths of a dB is a gain of 10^(v/2000), -10000 and
// below silent; a positive pan takes pan/100 dB off the left side, a negative one off the right.
void GainsFor(std::int32_t volume, std::int32_t pan, float* left, float* right);

// A mix of our own: each slot holds a sample, and a play starts its slot on its instant's frame.
// The program's thread loads and plays while an audio thread may render: one mutex guards the
// slots and the clock, held only for a few field writes or one block's mix.
class SoftwareMixer {
 public:
  SoftwareMixer();
  ~SoftwareMixer();
  SoftwareMixer(const SoftwareMixer&) = delete;
  SoftwareMixer& operator=(const SoftwareMixer&) = delete;

  // Slot `slot` plays the samples of `wave`, copied: false, and the slot left as it was, unless
  // they are 44100 Hz stereo 16-bit PCM. Slots are mixed in the order they were first loaded.
  bool Load(int slot, const ParsedWave& wave);

  // Plays sample `play.sample` from its start at `play.volume` and `play.pan`, on the frame of
  // instant `play.at` (the clock below); what the slot sounds goes on until that frame, where the
  // new play cuts it. A later play before that frame replaces this one. A slot never loaded plays
  // nothing.
  void Play(const SamplePlay& play);

  // Renders the next `frameCount` frames of every slot.
  void Render(std::int16_t* out, std::size_t frameCount);
  // The frames rendered so far: the stream frame the next Render begins with.
  std::uint64_t RenderedFrames() const;

  // Timed plays. The stream's frame `frame` stands for timer instant `ms` (AnchorClock); or, in a
  // stream that runs in real time, the next frame rendered will be heard at `ms` (FollowClock,
  // before each Render). A play then starts `latencyFrames` after its instant's frame, or with the
  // next frame rendered when that has gone by. A play due further ahead than `longestWaitFrames`
  // (10 s unless set) cannot be placed by the clock (it has jumped, or was not running yet) and
  // starts with the next frame too, as does any play while the clock is not anchored.
  void AnchorClock(std::uint64_t frame, double ms);
  void FollowClock(double ms);
  void SetLatency(std::uint32_t latencyFrames, std::uint32_t longestWaitFrames);

  // From now on the latency follows what the plays need, by `rule`, in place of SetLatency's. A
  // timed play needs the time from its instant to the instant the next frame mixed is heard: with
  // a latency below that its frame has gone by. Each play notes its need before it is placed, so
  // that only a need past the rule's limit makes it late. Time here is the stream's own, its
  // frames rendered.
  void FollowNeeds(const PlayLatency::Rule& rule);
  // The latency a play would start after now, in ms.
  double LatencyMs();

  // The mixer's own count of the timed plays (those placed by an anchored clock), the late ones
  // among them (their frame had gone by: started with the next frame instead), the largest need
  // and the largest latency a play was placed with.
  struct PlayTally {
    std::uint64_t timed = 0;
    std::uint64_t late = 0;
    double largestNeedMs = 0;
    double largestLatencyMs = 0;
  };
  PlayTally Tally() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};
