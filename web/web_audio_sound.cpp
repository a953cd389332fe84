// Buffers in the program's memory, plays handed to the page's Web Audio glue.
#include "web/web_audio_sound.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <vector>

#include "web/core.h"

extern "C" {
// The audio clock while the page's sound runs (else false): the time being mixed and its rate, and
// a time heard at a timer instant, all in seconds but the instant.
int ostinel_audio_now(double* mixed, double* rate, double* heard, double* heardAtMs);
// Plays buffer `id` (`frames`: `frameCount` stereo 16-bit frames at 44100 Hz, `changed` since its
// last play) from `offsetSeconds`, at audio time `when` (0: at once), with a gain on each side.
void ostinel_audio_play(int id, const std::int16_t* frames, int frameCount, int changed,
                        double when, double offsetSeconds, double gainLeft, double gainRight,
                        int looping);
// Stops what buffer `id` plays.
void ostinel_audio_stop(int id);
}

namespace {

// The audio clock's frames laid onto the timer by what is heard when: a frame being mixed is heard
// the output's latency later.
struct Clocks {
  std::optional<StreamClock> stream;  // once sound runs: its rate is known then
  double rate = 0;
  // From a step's start to the sound: kPlayLatencyMs, and the output's latency as it was when the
  // sound started.
  std::uint32_t latencyFrames = 0;
};

Clocks clocks;

struct AudioNow {
  std::uint64_t mixedFrame;  // the next frame mixed
  std::uint64_t heardFrame;  // a frame heard at heardAtMs
  double heardAtMs;
};

// The audio clock now, or nothing while sound does not run.
std::optional<AudioNow> Now() {
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

class Buffer final : public SoundBuffer {
 public:
  Buffer(int id, bool primary, std::uint32_t bytes)
      : id_(id), primary_(primary), frames_((bytes / 4) * 2, 0) {}

  std::int32_t SetFormat(const WaveFormat&) override { return kDsOk; }
  std::int32_t Lock(std::uint32_t offset, std::uint32_t length, void** region,
                    std::uint32_t* regionBytes, std::uint32_t flags) override {
    changed_ = true;
    return primary_ ? kDsErrInvalidParam
                    : LockFrames(frames_, offset, length, region, regionBytes, flags);
  }
  std::int32_t Unlock(void*, std::uint32_t) override { return kDsOk; }
  std::int32_t Restore() override { return kDsOk; }
  std::int32_t SetCurrentPosition(std::uint32_t position) override {
    position_ = std::min(position / 4, FrameCount());
    return kDsOk;
  }
  std::int32_t SetVolume(std::int32_t volume) override {
    volume_ = volume;
    return kDsOk;
  }
  std::int32_t SetPan(std::int32_t pan) override {
    pan_ = pan;
    return kDsOk;
  }
  // Before the page's sound runs, a play is not heard.
  std::int32_t Play(std::uint32_t, std::uint32_t, std::uint32_t flags,
                    const PlayTime& at) override {
    const std::optional<AudioNow> now = Now();
    if (primary_ || released_ || !now) {
      return kDsOk;
    }
    const std::uint64_t next = now->mixedFrame;
    const std::uint64_t start =
        clocks.stream->StartFrame(at, clocks.latencyFrames, next, clocks.latencyFrames);
    float left = 1.0f;
    float right = 1.0f;
    GainsFor(volume_, pan_, &left, &right);
    ostinel_audio_play(id_, frames_.data(), static_cast<int>(FrameCount()), changed_ ? 1 : 0,
                       start == next ? 0.0 : static_cast<double>(start) / clocks.rate,
                       static_cast<double>(position_) / kMixRate, left, right,
                       (flags & kDsbplayLooping) != 0 ? 1 : 0);
    changed_ = false;
    return kDsOk;
  }
  void Release() override {
    if (!released_ && !primary_) {
      ostinel_audio_stop(id_);
    }
    released_ = true;
  }

 private:
  std::uint32_t FrameCount() const { return static_cast<std::uint32_t>(frames_.size() / 2); }

  int id_;
  bool primary_;
  std::vector<std::int16_t> frames_;  // interleaved left, right
  bool changed_ = true;
  bool released_ = false;
  std::uint32_t position_ = 0;
  std::int32_t volume_ = 0;
  std::int32_t pan_ = 0;
};

// The one device: its buffers live as long as the page.
class Device final : public SoundDevice {
 public:
  std::int32_t SetCooperativeLevel(WindowHandle, std::uint32_t) override { return kDsOk; }
  std::int32_t CreateSoundBuffer(const SoundBufferDesc& desc, SoundBuffer** buffer) override {
    *buffer = nullptr;
    const std::int32_t checked = CheckBufferDesc(desc);
    if (checked != kDsOk) {
      return checked;
    }
    const bool primary = (desc.flags & kDsbcapsPrimaryBuffer) != 0;
    buffers_.push_back(std::make_unique<Buffer>(static_cast<int>(buffers_.size()), primary,
                                                primary ? 0 : desc.bufferBytes));
    *buffer = buffers_.back().get();
    return kDsOk;
  }
  void Release() override {}

 private:
  std::vector<std::unique_ptr<Buffer>> buffers_;
};

}  // namespace

std::int32_t WebAudioSound::CreateDevice(SoundDevice** device) {
  static Device theDevice;
  *device = &theDevice;
  return kDsOk;
}

// The browser's pairing of its audio clock with the timer is coarse in places (Firefox's moves in
// steps of 20 ms): the stream clock follows it gently, as it does a thread's wake-ups.
void WebAudioSound::FollowClock() {
  if (const std::optional<AudioNow> now = Now()) {
    clocks.stream->Follow(now->heardFrame, now->heardAtMs);
  }
}
