// The software mixer: samples in slots, gains from DirectSound's laws, a float sum clipped once.
#include "audio/software_mixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <optional>
#include <vector>

#include "base/little_endian.h"

namespace {

constexpr std::size_t kBlockFrames = 256;

float GainOf(std::int32_t hundredthsOfDb) {
  if (hundredthsOfDb <= kDsbVolumeMin) {
    return 0.0f;
  }
  return static_cast<float>(std::pow(10.0, hundredthsOfDb / 2000.0));
}

}  // namespace

void GainsFor(std::int32_t volume, std::int32_t pan, float* left, float* right) {
  const float gain = GainOf(std::min(volume, 0));
  pan = std::clamp(pan, kDsbPanLeft, kDsbPanRight);
  *left = gain * (pan > 0 ? GainOf(-pan) : 1.0f);
  *right = gain * (pan < 0 ? GainOf(pan) : 1.0f);
}

namespace {

// Adds frames [from, to) of the block from what the voice plays, moving it on.
void MixRun(MixVoice& voice, float* sum, std::size_t from, std::size_t to) {
  for (std::size_t i = from; i < to && voice.playing; ++i) {
    if (voice.position >= voice.frameCount) {
      if (!voice.looping || voice.frameCount == 0) {
        voice.playing = false;
        break;
      }
      voice.position = 0;
    }
    const std::int16_t* frame = voice.frames + 2 * static_cast<std::size_t>(voice.position);
    sum[2 * i] += frame[0] * voice.gainLeft;
    sum[2 * i + 1] += frame[1] * voice.gainRight;
    ++voice.position;
  }
  if (voice.playing && voice.position >= voice.frameCount && !voice.looping) {
    voice.playing = false;
  }
}

}  // namespace

void MixVoices(MixVoice* const* voices, std::size_t voiceCount, std::int16_t* out,
               std::size_t frameCount, std::uint64_t firstFrame) {
  float sum[kBlockFrames * 2];
  for (std::size_t done = 0; done < frameCount;) {
    const std::size_t block = std::min(kBlockFrames, frameCount - done);
    const std::uint64_t blockFrame = firstFrame + done;
    std::fill(sum, sum + block * 2, 0.0f);
    for (std::size_t v = 0; v < voiceCount; ++v) {
      MixVoice& voice = *voices[v];
      std::size_t takeover = block;
      if (voice.startPending && voice.startFrame < blockFrame + block) {
        takeover = voice.startFrame <= blockFrame
                       ? 0
                       : static_cast<std::size_t>(voice.startFrame - blockFrame);
      }
      MixRun(voice, sum, 0, takeover);
      if (takeover < block) {
        voice.startPending = false;
        voice.position = std::min(voice.start.position, voice.frameCount);
        voice.looping = voice.start.looping;
        voice.gainLeft = voice.start.gainLeft;
        voice.gainRight = voice.start.gainRight;
        voice.playing = true;
        MixRun(voice, sum, takeover, block);
      }
    }
    for (std::size_t i = 0; i < block * 2; ++i) {
      const float clipped = std::clamp(sum[i], -32768.0f, 32767.0f);
      out[2 * done + i] = static_cast<std::int16_t>(std::lrint(clipped));
    }
    done += block;
  }
}

struct SoftwareMixer::State {
  struct Slot {
    int number = 0;
    std::vector<std::int16_t> frames;  // interleaved left, right
    MixVoice voice;
  };
  std::vector<std::unique_ptr<Slot>> slots;  // in the order first loaded, which is the mix's
  std::vector<MixVoice*> sounding;           // as many as slots: Render never allocates
  mutable std::mutex mutex;
  std::uint64_t rendered = 0;
  StreamClock clock{kMixRate};
  std::uint32_t latency = 0;
  std::uint32_t longestWait = 10 * kMixRate;
  std::optional<PlayLatency> followedLatency;  // set: the latency follows the plays' needs
  PlayTally tally;

  double StreamMs() const { return static_cast<double>(rendered) * 1000.0 / kMixRate; }

  std::uint32_t LatencyFrames() {
    if (!followedLatency) {
      return latency;
    }
    return static_cast<std::uint32_t>(
        std::lround(followedLatency->At(StreamMs()) * kMixRate / 1000.0));
  }

  // The frame a play due at `at` starts on, its need noted first and the play counted.
  std::uint64_t Place(double at) {
    if (!clock.Anchored()) {
      return rendered;
    }
    const std::int64_t needFrames = static_cast<std::int64_t>(rendered) - clock.FrameOf(at);
    const double needMs = static_cast<double>(needFrames) * 1000.0 / kMixRate;
    if (followedLatency && needFrames >= 0) {
      followedLatency->Note(needMs, StreamMs());
    }
    const std::uint32_t frames = LatencyFrames();
    ++tally.timed;
    tally.late += needFrames > static_cast<std::int64_t>(frames) ? 1 : 0;
    tally.largestNeedMs = std::max(tally.largestNeedMs, needMs);
    tally.largestLatencyMs = std::max(tally.largestLatencyMs, frames * 1000.0 / kMixRate);
    return clock.StartFrame(at, frames, rendered, std::max(longestWait, frames));
  }

  Slot* Find(int number) {
    for (const auto& slot : slots) {
      if (slot->number == number) {
        return slot.get();
      }
    }
    return nullptr;
  }
};

SoftwareMixer::SoftwareMixer() : state_(std::make_unique<State>()) {}
SoftwareMixer::~SoftwareMixer() = default;

bool SoftwareMixer::Load(int slot, const ParsedWave& wave) {
  if (!IsStereoPcm44100(wave.format) || wave.sampleData == nullptr) {
    return false;
  }
  std::vector<std::int16_t> frames((wave.sampleBytes / 4) * 2);
  for (std::size_t i = 0; i < frames.size(); ++i) {
    frames[i] = static_cast<std::int16_t>(Get16(wave.sampleData + 2 * i));
  }
  const std::lock_guard<std::mutex> lock(state_->mutex);
  State::Slot* loaded = state_->Find(slot);
  if (loaded == nullptr) {
    state_->slots.push_back(std::make_unique<State::Slot>());
    state_->sounding.reserve(state_->slots.size());
    loaded = state_->slots.back().get();
    loaded->number = slot;
  }
  loaded->frames = std::move(frames);
  loaded->voice = MixVoice();
  loaded->voice.frames = loaded->frames.data();
  loaded->voice.frameCount = static_cast<std::uint32_t>(loaded->frames.size() / 2);
  return true;
}

void SoftwareMixer::Play(const SamplePlay& play) {
  MixStart start;
  GainsFor(play.volume, play.pan, &start.gainLeft, &start.gainRight);
  const std::lock_guard<std::mutex> lock(state_->mutex);
  State::Slot* slot = state_->Find(play.sample);
  if (slot == nullptr) {
    return;
  }
  slot->voice.start = start;
  slot->voice.startFrame = state_->Place(play.at);
  slot->voice.startPending = true;
}

void SoftwareMixer::Render(std::int16_t* out, std::size_t frameCount) {
  const std::lock_guard<std::mutex> lock(state_->mutex);
  state_->sounding.clear();
  for (const auto& slot : state_->slots) {
    if (slot->voice.playing || slot->voice.startPending) {
      state_->sounding.push_back(&slot->voice);
    }
  }
  std::memset(out, 0, frameCount * 2 * sizeof(std::int16_t));
  MixVoices(state_->sounding.data(), state_->sounding.size(), out, frameCount, state_->rendered);
  state_->rendered += frameCount;
}

std::uint64_t SoftwareMixer::RenderedFrames() const {
  const std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->rendered;
}

void SoftwareMixer::AnchorClock(std::uint64_t frame, double ms) {
  const std::lock_guard<std::mutex> lock(state_->mutex);
  state_->clock.Anchor(frame, ms);
}

void SoftwareMixer::FollowClock(double ms) {
  const std::lock_guard<std::mutex> lock(state_->mutex);
  state_->clock.Follow(state_->rendered, ms);
}

void SoftwareMixer::SetLatency(std::uint32_t latencyFrames, std::uint32_t longestWaitFrames) {
  const std::lock_guard<std::mutex> lock(state_->mutex);
  state_->latency = latencyFrames;
  state_->longestWait = longestWaitFrames;
}

void SoftwareMixer::FollowNeeds(const PlayLatency::Rule& rule) {
  const std::lock_guard<std::mutex> lock(state_->mutex);
  state_->followedLatency.emplace(rule);
}

double SoftwareMixer::LatencyMs() {
  const std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->LatencyFrames() * 1000.0 / kMixRate;
}

SoftwareMixer::PlayTally SoftwareMixer::Tally() const {
  const std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->tally;
}
