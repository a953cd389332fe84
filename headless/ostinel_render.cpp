// ostinel-render: runs the saver's frames offscreen (OSMesa) against a virtual clock and writes
// what a person would see and hear: PNG frames, a video, the mixer's sound, a trace of the plays.
#include <GL/osmesa.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "audio/software_mixer.h"
#include "base/clock.h"
#include "base/program_resources.h"
#include "base/version.h"
#include "core/saver.h"
#include "gl/gl.h"
#include "gl/renderer.h"
#include "gl/scene.h"
#include "headless/json_line.h"
#include "headless/png_writer.h"
#include "headless/progress.h"
#include "headless/render_options.h"
#include "headless/video_encoder.h"
#include "headless/wav_writer.h"

namespace {

// The millisecond timer as the frames see it: set to each frame's time; waiting only moves it on.
class VirtualClock final : public Clock {
 public:
  std::uint32_t now = 0;

  std::uint32_t Milliseconds() override { return now; }
  std::uint32_t TickCount() override { return now; }
  void Sleep(std::uint32_t milliseconds) override { now += milliseconds; }
};

// An OSMesa context current on a buffer of its own: RGBA bytes, bottom row first.
class OffscreenTarget {
 public:
  OffscreenTarget(std::int32_t width, std::int32_t height)
      : width_(width), height_(height), pixels_(static_cast<std::size_t>(width) * height * 4) {
    context_ = OSMesaCreateContextExt(OSMESA_RGBA, 16, 0, 0, nullptr);
    if (context_ != nullptr &&
        OSMesaMakeCurrent(context_, pixels_.data(), GL_UNSIGNED_BYTE, width, height)) {
      OSMesaPixelStore(OSMESA_Y_UP, 1);
      current_ = true;
    }
  }
  ~OffscreenTarget() {
    if (context_ != nullptr) {
      // Unbound first: a context destroyed while current keeps its framebuffer alive.
      OSMesaMakeCurrent(nullptr, nullptr, GL_UNSIGNED_BYTE, 0, 0);
      OSMesaDestroyContext(context_);
    }
  }
  OffscreenTarget(const OffscreenTarget&) = delete;
  OffscreenTarget& operator=(const OffscreenTarget&) = delete;

  bool ok() const { return current_; }
  // The picture as OSMesa leaves it, once glFinish has returned.
  const std::uint8_t* Pixels() const { return pixels_.data(); }

  // The picture as RGB, top row first.
  std::vector<std::uint8_t> TopDownRgb() const {
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width_) * height_ * 3);
    std::size_t out = 0;
    for (std::int32_t y = height_ - 1; y >= 0; --y) {
      const std::uint8_t* row = pixels_.data() + static_cast<std::size_t>(y) * width_ * 4;
      for (std::int32_t x = 0; x < width_; ++x) {
        rgb[out++] = row[4 * x];
        rgb[out++] = row[4 * x + 1];
        rgb[out++] = row[4 * x + 2];
      }
    }
    return rgb;
  }

 private:
  std::int32_t width_;
  std::int32_t height_;
  std::vector<std::uint8_t> pixels_;
  OSMesaContext context_ = nullptr;
  bool current_ = false;
};

// The sample a time falls on, counted from the render's start: floor(ms × 44.1).
std::uint64_t SampleAt(std::uint64_t elapsedMs) {
  return elapsedMs * 441 / 10;
}

// The mixer's output, written to the WAVE file and the video as far as the frames have got.
class SoundTrack {
 public:
  SoundTrack(SoftwareMixer& mixer, WavWriter& wav, VideoEncoder* video)
      : mixer_(mixer), wav_(wav), video_(video) {}

  bool RenderTo(std::uint64_t sample) {
    constexpr std::size_t kBlock = 4096;
    std::int16_t block[kBlock * 2];
    while (written_ < sample) {
      const auto count =
          static_cast<std::size_t>(std::min<std::uint64_t>(kBlock, sample - written_));
      mixer_.Render(block, count);
      if (!wav_.Append(block, count)) {
        return false;
      }
      if (video_ != nullptr) {
        video_->AddSound(block, count);
      }
      written_ += count;
    }
    return true;
  }

 private:
  SoftwareMixer& mixer_;
  WavWriter& wav_;
  VideoEncoder* video_;
  std::uint64_t written_ = 0;
};

// The window the render has none of: the pointer rests at the origin, nothing to close.
class RenderHost final : public WindowHost {
 public:
  SaverPoint CursorPos() override { return SaverPoint{}; }
  void SendSetCursor(WindowHandle) override {}
  void SetCursorVisible(bool) override {}
  void Destroy(WindowHandle) override {}
  void PostQuit() override {}
  std::int32_t VerifyPassword(WindowHandle) override { return 1; }
};

// The user's action, as a window's input reaches the saver: a key, or a click's press and release.
void ApplyKey(Saver& saver, RenderKey key) {
  RenderHost host;
  const auto send = [&](SaverEventKind kind, SaverKey what) {
    HandleSaverEvent(saver, host, 0, SaverEvent{kind, what});
  };
  switch (key) {
    case RenderKey::kSpace:
      send(SaverEventKind::kKey, SaverKey::kSpace);
      break;
    case RenderKey::kEnter:
      send(SaverEventKind::kKey, SaverKey::kEnter);
      break;
    case RenderKey::kDown:
      send(SaverEventKind::kKey, SaverKey::kDown);
      break;
    case RenderKey::kRightClick:
      send(SaverEventKind::kRightDown, SaverKey::kOther);
      send(SaverEventKind::kRightUp, SaverKey::kOther);
      break;
  }
}

std::string PlaysJson(const std::vector<SamplePlay>& plays) {
  std::string json = "[";
  for (const SamplePlay& play : plays) {
    if (json.size() > 1) {
      json += ',';
    }
    // The instant the play is due at, on the timer, to the microsecond.
    char at[32];
    std::snprintf(at, sizeof at, "%.3f", play.at);
    json += '[' + std::to_string(play.sample) + ',' + std::to_string(play.volume) + ',' +
            std::to_string(play.pan) + ',' + at + ']';
  }
  return json + ']';
}

int TrackCount(const EngineState& engine) {
  return std::clamp(engine.trackCount, 0, kMaxTracks);
}

// The pattern track by track, steps 0 to 7 within a track, as 0 and 1.
std::string PatternText(const EngineState& engine) {
  std::string text;
  for (int cell = 0; cell < TrackCount(engine) * kSteps; ++cell) {
    text += engine.PatternMatrix[cell] != 0 ? '1' : '0';
  }
  return text;
}

std::string MutedText(const EngineState& engine) {
  std::string text;
  for (int track = 0; track < TrackCount(engine); ++track) {
    text += engine.trackMuted[track] != 0 ? '1' : '0';
  }
  return text;
}

std::string FramePath(const std::filesystem::path& dir, std::uint64_t frame) {
  char name[32];
  std::snprintf(name, sizeof name, "frame_%05llu.png", static_cast<unsigned long long>(frame));
  return (dir / name).string();
}

bool Fail(const std::string& message) {
  std::fprintf(stderr, "ostinel-render: %s\n", message.c_str());
  return false;
}

// The trace file: one JSON object a line.
class Trace {
 public:
  bool Open(const std::string& path) {
    file_ = std::fopen(path.c_str(), "wb");
    return file_ != nullptr;
  }
  void Write(const JsonLine& line) {
    const std::string text = line.Text();
    failed_ = std::fwrite(text.data(), 1, text.size(), file_) != text.size() || failed_;
  }
  bool Close() {
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    return closed && !failed_;
  }
  ~Trace() {
    if (file_ != nullptr) {
      std::fclose(file_);
    }
  }

 private:
  std::FILE* file_ = nullptr;
  bool failed_ = false;
};

volatile std::sig_atomic_t interrupted = 0;

void Interrupt(int) {
  interrupted = 1;
}

using Clocked = std::chrono::steady_clock;

double SecondsSince(Clocked::time_point start) {
  return std::chrono::duration<double>(Clocked::now() - start).count();
}

// The processor time of this process, all its threads (OSMesa draws on several) included.
double ProcessCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Wall and processor time spent in one stage of the frame loop, for --bench. Wall time includes
// waiting for a processor on a busy machine; processor time does not.
struct Stage {
  double wall = 0;
  double cpu = 0;
};

class StageTimer {
 public:
  explicit StageTimer(Stage& stage)
      : stage_(stage), wall_(Clocked::now()), cpu_(ProcessCpuSeconds()) {}
  ~StageTimer() {
    stage_.wall += SecondsSince(wall_);
    stage_.cpu += ProcessCpuSeconds() - cpu_;
  }
  StageTimer(const StageTimer&) = delete;
  StageTimer& operator=(const StageTimer&) = delete;

 private:
  Stage& stage_;
  Clocked::time_point wall_;
  double cpu_;
};

struct StageTimes {
  Stage draw, mix, handOver, pictures;
};

void PrintBench(const StageTimes& times, double encoderCpu, double whole, std::uint64_t frames,
                std::uint64_t pictures, double videoSeconds) {
  const auto rate = [](std::uint64_t count, double seconds) {
    return seconds > 0 ? static_cast<double>(count) / seconds : 0.0;
  };
  const auto line = [&](const char* name, const Stage& stage, std::uint64_t count) {
    char wall[32] = "";  // ffmpeg's wall time is the whole render's
    if (stage.wall > 0) {
      std::snprintf(wall, sizeof wall, "%8.3f s %9.1f /s", stage.wall, rate(count, stage.wall));
    }
    std::printf("  %-20s %21s %8.3f s %9.1f /s\n", name, wall, stage.cpu, rate(count, stage.cpu));
  };
  std::printf("ostinel-render: stages %21s %21s\n", "wall time, frames/s", "CPU time, frames/s");
  line("draw and read back", times.draw, frames);
  line("mix the sound", times.mix, frames);
  if (pictures > 0) {
    line("pictures (PNG)", times.pictures, pictures);
  }
  if (encoderCpu > 0) {
    line("hand over to ffmpeg", times.handOver, frames);
    line("ffmpeg encoding", Stage{0, encoderCpu}, frames);
  }
  const double ownCpu = ProcessCpuSeconds();
  line("whole render", Stage{whole, ownCpu + encoderCpu}, frames);
  std::printf("  real time factor %.2fx, with %.2f CPU seconds a second of video\n",
              whole > 0 ? videoSeconds / whole : 0.0,
              videoSeconds > 0 ? (ownCpu + encoderCpu) / videoSeconds : 0.0);
}

bool Render(const RenderOptions& options, const std::string& ffmpeg) {
  const auto began = Clocked::now();
  OffscreenTarget target(options.width, options.height);
  if (!target.ok()) {
    return Fail("cannot create an OSMesa context of " + std::to_string(options.width) + "x" +
                std::to_string(options.height));
  }
  VideoEncoder video;
  const bool withVideo = !options.videoPath.empty();
  std::string videoError;
  if (withVideo && !video.Start(ffmpeg, options.videoPath, VideoFormatOf(options.videoPath),
                                options.width, options.height, options.fps, &videoError)) {
    return Fail(videoError);
  }
  const std::filesystem::path dir(options.outDir);
  std::error_code error;
  std::filesystem::create_directories(dir, error);
  if (error) {
    return Fail("cannot create " + dir.string() + ": " + error.message());
  }
  Trace trace;
  WavWriter wav;
  if (!trace.Open((dir / "trace.jsonl").string())) {
    return Fail("cannot write " + (dir / "trace.jsonl").string());
  }
  if (!wav.Open((dir / "audio.wav").string())) {
    return Fail("cannot write " + (dir / "audio.wav").string());
  }

  // Start-up in the saver's order: seed, settings, scene, sequencer, samples.
  VirtualClock clock;
  clock.now = options.startMs;
  SoftwareMixer mixer;
  Saver saver(kSaver, RunPlatform{clock, nullptr, PlatformResources()}, options.seed);
  static_cast<Settings&>(saver.saverContext) = options.settings;
  SetUpScene(saver, options.width, options.height);
  SetUpRun(saver, 0);
  const int loaded = LoadSamples(PlatformResources(), [&mixer](int slot, const ParsedWave& wave) {
    return mixer.Load(slot, wave);
  });
  if (loaded != kLoadedSlots) {
    std::fprintf(stderr, "ostinel-render: warning: %d of %d samples loaded\n", loaded,
                 kLoadedSlots);
  }
  // The sound's first sample is the render's first instant.
  mixer.AnchorClock(0, options.startMs);

  trace.Write(JsonLine()
                  .Uint("seed", options.seed)
                  .Uint("fps", options.fps)
                  .Uint("start_ms", options.startMs)
                  .Int("tempo", options.settings.tempo())
                  .Int("transient", options.settings.transient())
                  .Int("density", options.settings.density())
                  .Int("rotation", options.settings.rotation())
                  .Int("cycle_ms", saver.engine.cyclePeriodMs)
                  .Float("step_ms", saver.engine.stepPeriodMs)
                  .Bool("day", saver.view.dayMode)
                  .Float("tilt", saver.view.tableTilt)
                  .Float("auto_spin", saver.view.autoSpinRate)
                  .Int("width", options.width)
                  .Int("height", options.height));

  std::vector<RenderEvent> events = options.events;
  std::stable_sort(events.begin(), events.end(),
                   [](const RenderEvent& a, const RenderEvent& b) { return a.atMs < b.atMs; });
  std::size_t nextEvent = 0;
  SoundTrack sound(mixer, wav, withVideo ? &video : nullptr);
  const std::uint64_t frames = RenderFrameCount(options);
  const std::uint32_t interval = RenderFrameInterval(options);
  const bool showProgress = !options.quiet && isatty(STDERR_FILENO) != 0;
  double shownAt = -1;
  StageTimes times;
  std::uint64_t pictures = 0;
  bool ok = true;
  bool encoderGone = false;
  std::uint64_t mixedToMs = 0;
  for (std::uint64_t frame = 0; frame < frames && ok && interrupted == 0; ++frame) {
    const std::uint64_t elapsedMs = frame * 1000 / options.fps;
    const std::uint64_t atMs = options.startMs + elapsedMs;
    const auto frameTime = static_cast<std::uint32_t>(atMs);  // the timer wraps at 2^32
    for (; nextEvent < events.size() && events[nextEvent].atMs <= atMs; ++nextEvent) {
      ApplyKey(saver, events[nextEvent].key);
      trace.Write(JsonLine()
                      .String("event", RenderKeyName(events[nextEvent].key))
                      .Uint("ms", events[nextEvent].atMs)
                      .Uint("frame", frame)
                      .Uint("t", frameTime));
    }
    clock.now = frameTime;
    // The sound is mixed up to the previous frame: this frame's plays are due at the instants
    // their steps began, since then, and each starts on its own sample.
    {
      const StageTimer timer(times.mix);
      ok = sound.RenderTo(SampleAt(mixedToMs)) || Fail("cannot write the sound");
      mixedToMs = elapsedMs;
    }
    Frame shown;
    {
      const StageTimer timer(times.draw);
      shown = AdvanceFrame(saver, frameTime);
      RenderFrame(shown);
      glFinish();
    }
    for (const SamplePlay& play : shown.plays) {
      mixer.Play(play);
    }
    if (!shown.plays.empty()) {
      trace.Write(JsonLine()
                      .Uint("frame", frame)
                      .Uint("t", frameTime)
                      .Int("step", saver.engine.currentStep)
                      .Raw("plays", PlaysJson(shown.plays)));
    }
    if (ok && withVideo) {
      const StageTimer timer(times.handOver);
      ok = video.AddFrame(target.Pixels());
      encoderGone = !ok && interrupted == 0;
    }
    if (ok && interval != 0 && (frame % interval == 0 || frame + 1 == frames)) {
      const StageTimer timer(times.pictures);
      const std::string path = FramePath(dir, frame);
      ok = WritePng(path, options.width, options.height, target.TopDownRgb().data()) ||
           Fail("cannot write " + path);
      ++pictures;
    }
    const double elapsed = SecondsSince(began);
    if (showProgress && (elapsed - shownAt >= 0.25 || frame + 1 == frames)) {
      shownAt = elapsed;
      std::fprintf(stderr, "\r%s\033[K",
                   ProgressLine(frame + 1, frames, options.fps, elapsed).c_str());
    }
  }
  if (showProgress) {
    std::fputs("\r\033[K", stderr);  // the line makes way for the summary
  }
  if (interrupted != 0) {
    ok = Fail("interrupted");
  }
  ok = ok && (sound.RenderTo(SampleAt(options.durationMs)) || Fail("cannot write the sound"));
  // Finished when complete, or to learn why ffmpeg went; otherwise it is stopped on the way out.
  // ffmpeg's own message, if any, comes before this one.
  if (withVideo && (ok || encoderGone) && !video.Finish(&videoError)) {
    ok = Fail(videoError + "; no video written to " + options.videoPath);
  }

  trace.Write(JsonLine()
                  .Bool("end", true)
                  .Uint("frames", frames)
                  .String("pattern", PatternText(saver.engine))
                  .String("muted", MutedText(saver.engine))
                  .Int("accent", saver.engine.accentTrack)
                  .Bool("day", saver.view.dayMode)
                  .Float("spin", saver.view.tableSpin)
                  .Int("step", saver.engine.currentStep));
  ok = (trace.Close() || Fail("cannot write the trace")) && ok;
  ok = (wav.Close() || Fail("cannot write the sound")) && ok;

  const double seconds = SecondsSince(began);
  const double videoSeconds = static_cast<double>(frames) / options.fps;
  if (ok) {
    const std::string videoNote = withVideo ? ", video " + options.videoPath : "";
    std::printf(
        "ostinel-render: %llu frames, %llu pictures, %.3f s of sound in %s%s (seed %u, %.1f s, "
        "%.2fx real time)\n",
        static_cast<unsigned long long>(frames), static_cast<unsigned long long>(pictures),
        options.durationMs / 1000.0, dir.string().c_str(), videoNote.c_str(), options.seed, seconds,
        seconds > 0 ? videoSeconds / seconds : 0.0);
    if (options.bench) {
      PrintBench(times, video.EncoderCpuSeconds(), seconds, frames, pictures, videoSeconds);
    }
  }
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  RenderOptions options;
  std::string error;
  if (!ParseRenderOptions(argc, argv, &options, &error)) {
    std::fprintf(stderr, "ostinel-render: %s\n(ostinel-render --help lists the options)\n",
                 error.c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(RenderUsage(), stdout);
    return 0;
  }
  if (options.version) {
    std::puts("ostinel-render " OSTINEL_VERSION_TEXT);
    return 0;
  }
  std::string ffmpeg;
  if (!options.videoPath.empty()) {
    ffmpeg = FindProgram("ffmpeg");
    if (ffmpeg.empty()) {
      std::fprintf(stderr,
                   "ostinel-render: --video needs the ffmpeg program, which is not on PATH "
                   "(on Debian: apt-get install ffmpeg)\n");
      return 2;
    }
  }
  // An interrupted render stops between frames, so that no half-written video is left.
  std::signal(SIGINT, Interrupt);
  std::signal(SIGTERM, Interrupt);
  if (!options.seedGiven) {
    // As the saver seeds itself: from the millisecond timer, here the monotonic clock.
    options.seed =
        static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                       std::chrono::steady_clock::now().time_since_epoch())
                                       .count());
  }
  return Render(options, ffmpeg) ? 0 : 1;
}
