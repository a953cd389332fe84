// The software mixer: static buffers, gains from DirectSound's laws, a float sum clipped once.
#include "audio/software_mixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <vector>

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

// Devices and buffers live in the mixer's shared state. One mutex guards the voice table and the
// clock: the program's thread plays, sets volumes and pans while an audio thread renders; each
// holds it only for a few field writes or one block's mix, never while waiting on anything.
// A device keeps the state alive until its last release, so voices that outlive the mixer (they
// are static) still release safely; buffers left unreleased when their device goes are freed with
// the state, as DirectSound frees them.
struct SoftwareMixer::State {
  struct Buffer;
  struct Device;
  std::vector<std::unique_ptr<Buffer>> buffers;
  std::vector<std::unique_ptr<Device>> devices;
  std::vector<MixVoice*> sounding;  // reserved at buffer creation, so Render never allocates
  std::mutex mutex;
  std::uint64_t rendered = 0;
  StreamClock clock{kMixRate};
  std::uint32_t latency = 0;
  std::uint32_t longestWait = 10 * kMixRate;

  // The stream frame a play due at `at` starts on.
  std::uint64_t StartFrame(const PlayTime& at) const {
    if (!at.timed || !clock.Anchored()) {
      return rendered;
    }
    const std::int64_t due = clock.FrameOf(at.ms) + latency;
    const auto next = static_cast<std::int64_t>(rendered);
    return due > next && due - next <= longestWait ? static_cast<std::uint64_t>(due) : rendered;
  }
};

struct SoftwareMixer::State::Device final : SoundDevice {
  State* state = nullptr;
  std::shared_ptr<State> keepAlive;
  int references = 1;

  std::int32_t SetCooperativeLevel(WindowHandle, std::uint32_t) override { return kDsOk; }
  std::int32_t CreateSoundBuffer(const SoundBufferDesc& desc, SoundBuffer** buffer) override;
  void Release() override {
    bool last = false;
    {
      const std::lock_guard<std::mutex> lock(state->mutex);
      last = references > 0 && --references == 0;
    }
    if (last) {
      // May free the state and this device with it: nothing of this object is touched after.
      const std::shared_ptr<State> gone = std::move(keepAlive);
    }
  }
};

struct SoftwareMixer::State::Buffer final : SoundBuffer {
  Device* device = nullptr;
  bool primary = false;
  int references = 1;
  std::vector<std::int16_t> frames;  // the buffer's memory, stereo 16-bit
  MixVoice voice;
  // Position, volume and pan as set: they take effect with the next play, on its frame, so that
  // what the buffer still sounds goes on unchanged until then.
  MixStart next;
  std::int32_t volume = 0;
  std::int32_t pan = 0;

  bool Live() const { return references > 0 && device->references > 0; }
  std::uint32_t Bytes() const { return static_cast<std::uint32_t>(frames.size() * 2); }

  std::int32_t SetFormat(const WaveFormat&) override { return kDsOk; }
  std::int32_t Lock(std::uint32_t offset, std::uint32_t length, void** region,
                    std::uint32_t* regionBytes, std::uint32_t flags) override {
    if (primary) {
      return kDsErrInvalidParam;
    }
    if ((flags & kDsblockEntireBuffer) != 0) {
      offset = 0;
      length = Bytes();
    }
    if (offset > Bytes() || length > Bytes() - offset) {
      return kDsErrInvalidParam;
    }
    *region = reinterpret_cast<unsigned char*>(frames.data()) + offset;
    *regionBytes = length;
    return kDsOk;
  }
  std::int32_t Unlock(void*, std::uint32_t) override { return kDsOk; }
  std::int32_t Restore() override { return kDsOk; }
  std::int32_t SetCurrentPosition(std::uint32_t position) override {
    const std::lock_guard<std::mutex> lock(device->state->mutex);
    next.position = std::min(position / 4, voice.frameCount);
    return kDsOk;
  }
  std::int32_t SetVolume(std::int32_t value) override {
    const std::lock_guard<std::mutex> lock(device->state->mutex);
    volume = value;
    GainsFor(volume, pan, &next.gainLeft, &next.gainRight);
    return kDsOk;
  }
  std::int32_t SetPan(std::int32_t value) override {
    const std::lock_guard<std::mutex> lock(device->state->mutex);
    pan = value;
    GainsFor(volume, pan, &next.gainLeft, &next.gainRight);
    return kDsOk;
  }
  // A play sets the buffer's start for its frame; a later play before that frame replaces it.
  std::int32_t Play(std::uint32_t, std::uint32_t, std::uint32_t flags,
                    const PlayTime& at) override {
    if (primary) {
      return kDsOk;
    }
    const std::lock_guard<std::mutex> lock(device->state->mutex);
    next.looping = (flags & kDsbplayLooping) != 0;
    voice.start = next;
    voice.startFrame = device->state->StartFrame(at);
    voice.startPending = true;
    return kDsOk;
  }
  void Release() override {
    const std::lock_guard<std::mutex> lock(device->state->mutex);
    if (references > 0) {
      --references;
    }
    if (references == 0) {
      voice.playing = false;
      voice.startPending = false;
    }
  }
};

std::int32_t SoftwareMixer::State::Device::CreateSoundBuffer(const SoundBufferDesc& desc,
                                                             SoundBuffer** buffer) {
  *buffer = nullptr;
  const bool primary = (desc.flags & kDsbcapsPrimaryBuffer) != 0;
  if (!primary) {
    const WaveFormat* format = desc.format;
    if (format == nullptr || desc.bufferBytes == 0) {
      return kDsErrInvalidParam;
    }
    if (format->formatTag != kWaveFormatPcm || format->channels != 2 ||
        format->samplesPerSec != kMixRate || format->bitsPerSample != 16 ||
        format->blockAlign != 4) {
      return kDsErrBadFormat;
    }
  }
  auto created = std::make_unique<Buffer>();
  created->device = this;
  created->primary = primary;
  created->frames.assign((desc.bufferBytes / 4) * 2, 0);
  created->voice.frames = created->frames.data();
  created->voice.frameCount = desc.bufferBytes / 4;
  *buffer = created.get();
  const std::lock_guard<std::mutex> lock(state->mutex);
  state->buffers.push_back(std::move(created));
  state->sounding.reserve(state->buffers.size());
  return kDsOk;
}

SoftwareMixer::SoftwareMixer() : state_(std::make_shared<State>()) {}
SoftwareMixer::~SoftwareMixer() = default;

std::int32_t SoftwareMixer::CreateDevice(SoundDevice** device) {
  auto created = std::make_unique<State::Device>();
  created->state = state_.get();
  created->keepAlive = state_;
  *device = created.get();
  state_->devices.push_back(std::move(created));
  return kDsOk;
}

void SoftwareMixer::Render(std::int16_t* out, std::size_t frameCount) {
  const std::lock_guard<std::mutex> lock(state_->mutex);
  state_->sounding.clear();
  for (const auto& buffer : state_->buffers) {
    if (!buffer->primary && buffer->Live() &&
        (buffer->voice.playing || buffer->voice.startPending)) {
      state_->sounding.push_back(&buffer->voice);
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
