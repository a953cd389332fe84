// The PulseAudio stream and its audio thread.
#include "linux/pulse_output.h"

#include <pthread.h>
#include <pulse/error.h>
#include <pulse/simple.h>
#include <sched.h>
#include <signal.h>
#include <sys/resource.h>
#include <time.h>

#include <algorithm>

#include "audio/software_mixer.h"
#include "base/clock.h"

namespace {

constexpr std::size_t kBlockFrames = 128;  // 2.9 ms
constexpr std::uint32_t kFrameBytes = 4;
// What the server holds ahead of the speaker, 15 ms.
constexpr std::uint32_t kTargetFrames = 661;
constexpr std::uint32_t kTargetBytes = kTargetFrames * kFrameBytes;
// The real-time priority the audio thread asks for: below the sound server's own (PulseAudio's is
// 5), above every ordinary thread, the busy loops of other programs included.
constexpr int kAudioPriority = 4;

// The calling thread at a real-time priority, within what RLIMIT_RTPRIO grants (a privileged
// process has no such bound); silently nothing where the system refuses.
void RaiseToRealTime() {
  int priority = kAudioPriority;
  rlimit limit{};
  if (getrlimit(RLIMIT_RTPRIO, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
      limit.rlim_cur > 0) {
    priority = std::min(priority, static_cast<int>(limit.rlim_cur));
  }
  sched_param param{};
  param.sched_priority = priority;
  pthread_setschedparam(pthread_self(), SCHED_FIFO | SCHED_RESET_ON_FORK, &param);
}

}  // namespace

PulseOutput::~PulseOutput() { Close(); }

bool PulseOutput::Open(const char* applicationName, std::string* error) {
  pa_sample_spec format{};
  format.format = PA_SAMPLE_S16LE;
  format.rate = kMixRate;
  format.channels = 2;
  pa_buffer_attr attr{};
  attr.maxlength = static_cast<std::uint32_t>(-1);
  attr.tlength = kTargetBytes;
  // No prebuffering: after an underrun the stream goes on at once rather than waiting to refill,
  // so that what comes after stays where the clock put it instead of shifting late by the gap.
  attr.prebuf = 0;
  attr.minreq = kBlockFrames * kFrameBytes;
  attr.fragsize = static_cast<std::uint32_t>(-1);
  int code = 0;
  stream_ = pa_simple_new(nullptr, applicationName, PA_STREAM_PLAYBACK, nullptr, "drums", &format,
                          nullptr, &attr, &code);
  if (stream_ == nullptr) {
    *error = pa_strerror(code);
    return false;
  }
  return true;
}

void PulseOutput::Start(SoftwareMixer& mixer, Clock& clock) {
  if (stream_ == nullptr || running_) {
    return;
  }
  mixer_ = &mixer;
  clock_ = &clock;
  // A play is due when its step began, never later than now; one that the clock puts further
  // ahead than the latency's limit meets a clock that does not keep time yet (the stream
  // starting).
  const auto frames = [](double ms) { return static_cast<std::uint32_t>(ms * kMixRate / 1000); };
  mixer.SetLatency(frames(kRealTimePlayLatency.startMs), frames(kRealTimePlayLatency.limitMs));
  mixer.FollowNeeds(kRealTimePlayLatency);
  running_ = true;
  thread_ = std::thread([this] { Pump(); });
}

void PulseOutput::Pump() {
  // Termination signals go to the program's thread, which ends the run.
  sigset_t blocked;
  sigemptyset(&blocked);
  sigaddset(&blocked, SIGTERM);
  sigaddset(&blocked, SIGINT);
  pthread_sigmask(SIG_BLOCK, &blocked, nullptr);
  // Woken on time by the server whatever else the machine runs, where that is allowed.
  RaiseToRealTime();
  std::int16_t block[kBlockFrames * 2];
  while (running_.load(std::memory_order_relaxed)) {
    // The block about to be mixed is heard once what the server holds has played: that instant
    // ties the timer to the stream, underruns and the sound card's drift included.
    int error = 0;
    const pa_usec_t held = pa_simple_get_latency(stream_, &error);
    if (held != static_cast<pa_usec_t>(-1)) {
      mixer_->FollowClock(clock_->PreciseMilliseconds() + static_cast<double>(held) / 1000.0);
    }
    mixer_->Render(block, kBlockFrames);  // holds the mixer's lock only while mixing
    if (pa_simple_write(stream_, block, sizeof block, nullptr) < 0) {
      break;
    }
  }
}

void PulseOutput::Close() {
  if (stream_ == nullptr) {
    return;
  }
  if (thread_.joinable()) {
    running_ = false;
    thread_.join();
    // The sound goes on from where the thread stopped, down to silence.
    constexpr std::size_t kFadeFrames = 512;
    std::int16_t fade[kFadeFrames * 2];
    mixer_->Render(fade, kFadeFrames);
    for (std::size_t i = 0; i < kFadeFrames; ++i) {
      const float gain = static_cast<float>(kFadeFrames - 1 - i) / (kFadeFrames - 1);
      fade[2 * i] = static_cast<std::int16_t>(fade[2 * i] * gain);
      fade[2 * i + 1] = static_cast<std::int16_t>(fade[2 * i + 1] * gain);
    }
    pa_simple_write(stream_, fade, sizeof fade, nullptr);
    // What the server holds is a few tens of ms: waited for rather than drained, as a stream that
    // never prebuffers does not always see its drain complete.
    int error = 0;
    const pa_usec_t held = pa_simple_get_latency(stream_, &error);
    if (held != static_cast<pa_usec_t>(-1)) {
      const auto wait = std::min<pa_usec_t>(held, 200000);
      timespec pause{0, static_cast<long>(wait * 1000)};
      nanosleep(&pause, nullptr);
    }
  }
  pa_simple_free(stream_);
  stream_ = nullptr;
}
