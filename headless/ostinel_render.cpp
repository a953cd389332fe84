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

// One render, stage by stage: its outputs opened, the saver started, each frame run, the outputs
// finished. What it opened is closed, or its half-written video removed, however it ends.
class Renderer {
 public:
  explicit Renderer(const RenderOptions& options)
      : options_(options),
        target_(options.width, options.height),
        withVideo_(!options.videoPath.empty()),
        dir_(options.outDir),
        saver_(kSaver, RunPlatform{clock_, nullptr, PlatformResources()}, options.seed),
        sound_(mixer_, wav_, withVideo_ ? &video_ : nullptr) {}

  // The offscreen picture, the video encoder, the output folder, the trace and the sound file.
  bool Open(const std::string& ffmpeg) {
    if (!target_.ok()) {
      return Fail("cannot create an OSMesa context of " + std::to_string(options_.width) + "x" +
                  std::to_string(options_.height));
    }
    std::string error;
    if (withVideo_ && !video_.Start(ffmpeg, options_.videoPath, VideoFormatOf(options_.videoPath),
                                    options_.width, options_.height, options_.fps, &error)) {
      return Fail(error);
    }
    std::error_code made;
    std::filesystem::create_directories(dir_, made);
    if (made) {
      return Fail("cannot create " + dir_.string() + ": " + made.message());
    }
    if (!trace_.Open((dir_ / "trace.jsonl").string())) {
      return Fail("cannot write " + (dir_ / "trace.jsonl").string());
    }
    return wav_.Open((dir_ / "audio.wav").string()) ||
           Fail("cannot write " + (dir_ / "audio.wav").string());
  }

  // The saver's start in its order (seed, settings, scene, sequencer, samples), its first instant
  // on the sound's first sample, and the trace's first line.
  void Start() {
    clock_.now = options_.startMs;
    static_cast<Settings&>(saver_.saverContext) = options_.settings;
    SetUpScene(saver_, options_.width, options_.height);
    SetUpRun(saver_, 0);
    const int loaded = LoadSamples(PlatformResources(), [this](int slot, const ParsedWave& wave) {
      return mixer_.Load(slot, wave);
    });
    if (loaded != kLoadedSlots) {
      std::fprintf(stderr, "ostinel-render: warning: %d of %d samples loaded\n", loaded,
                   kLoadedSlots);
    }
    mixer_.AnchorClock(0, options_.startMs);
    events_ = options_.events;
    std::stable_sort(events_.begin(), events_.end(),
                     [](const RenderEvent& a, const RenderEvent& b) { return a.atMs < b.atMs; });
    const Settings& settings = options_.settings;
    trace_.Write(JsonLine()
                     .Uint("seed", options_.seed)
                     .Uint("fps", options_.fps)
                     .Uint("start_ms", options_.startMs)
                     .Int("tempo", settings.tempo())
                     .Int("transient", settings.transient())
                     .Int("density", settings.density())
                     .Int("rotation", settings.rotation())
                     .Int("cycle_ms", saver_.engine.cyclePeriodMs)
                     .Float("step_ms", saver_.engine.stepPeriodMs)
                     .Bool("day", saver_.view.dayMode)
                     .Float("tilt", saver_.view.tableTilt)
                     .Float("auto_spin", saver_.view.autoSpinRate)
                     .Int("width", options_.width)
                     .Int("height", options_.height));
  }

  // Frame `frame`: the user's actions due, the sound mixed up to the previous frame, the picture
  // and its plays, and what goes out of them: the trace, the video, a picture file.
  bool RunFrame(std::uint64_t frame) {
    const std::uint64_t elapsedMs = frame * 1000 / options_.fps;
    const std::uint64_t atMs = options_.startMs + elapsedMs;
    const auto frameTime = static_cast<std::uint32_t>(atMs);  // the timer wraps at 2^32
    for (; nextEvent_ < events_.size() && events_[nextEvent_].atMs <= atMs; ++nextEvent_) {
      ApplyKey(saver_, events_[nextEvent_].key);
      trace_.Write(JsonLine()
                       .String("event", RenderKeyName(events_[nextEvent_].key))
                       .Uint("ms", events_[nextEvent_].atMs)
                       .Uint("frame", frame)
                       .Uint("t", frameTime));
    }
    clock_.now = frameTime;
    // The sound is mixed up to the previous frame: this frame's plays are due at the instants
    // their steps began, since then, and each starts on its own sample.
    {
      const StageTimer timer(times_.mix);
      if (!sound_.RenderTo(SampleAt(mixedToMs_))) {
        return Fail("cannot write the sound");
      }
      mixedToMs_ = elapsedMs;
    }
    Frame shown;
    {
      const StageTimer timer(times_.draw);
      shown = AdvanceFrame(saver_, frameTime);
      RenderFrame(shown);
      glFinish();
    }
    for (const SamplePlay& play : shown.plays) {
      mixer_.Play(play);
    }
    if (!shown.plays.empty()) {
      trace_.Write(JsonLine()
                       .Uint("frame", frame)
                       .Uint("t", frameTime)
                       .Int("step", saver_.engine.currentStep)
                       .Raw("plays", PlaysJson(shown.plays)));
    }
    return HandOver(frame);
  }

  // The sound to the render's end, the video finished, the trace's last line; all closed.
  bool Finish(bool ok) {
    ok = ok && (sound_.RenderTo(SampleAt(options_.durationMs)) || Fail("cannot write the sound"));
    // Finished when complete, or to learn why ffmpeg went; otherwise it is stopped on the way out.
    // ffmpeg's own message, if any, comes before this one.
    std::string error;
    if (withVideo_ && (ok || encoderGone_) && !video_.Finish(&error)) {
      ok = Fail(error + "; no video written to " + options_.videoPath);
    }
    const EngineState& engine = saver_.engine;
    trace_.Write(JsonLine()
                     .Bool("end", true)
                     .Uint("frames", RenderFrameCount(options_))
                     .String("pattern", PatternText(engine))
                     .String("muted", MutedText(engine))
                     .Int("accent", engine.accentTrack)
                     .Bool("day", saver_.view.dayMode)
                     .Float("spin", saver_.view.tableSpin)
                     .Int("step", engine.currentStep));
    ok = (trace_.Close() || Fail("cannot write the trace")) && ok;
    return (wav_.Close() || Fail("cannot write the sound")) && ok;
  }

  // The summary line, and with --bench the stages' times.
  void Summarise(double seconds) const {
    const std::uint64_t frames = RenderFrameCount(options_);
    const double videoSeconds = static_cast<double>(frames) / options_.fps;
    const std::string videoNote = withVideo_ ? ", video " + options_.videoPath : "";
    std::printf(
        "ostinel-render: %llu frames, %llu pictures, %.3f s of sound in %s%s (seed %u, %.1f s, "
        "%.2fx real time)\n",
        static_cast<unsigned long long>(frames), static_cast<unsigned long long>(pictures_),
        options_.durationMs / 1000.0, dir_.string().c_str(), videoNote.c_str(), options_.seed,
        seconds, seconds > 0 ? videoSeconds / seconds : 0.0);
    if (options_.bench) {
      PrintBench(times_, video_.EncoderCpuSeconds(), seconds, frames, pictures_, videoSeconds);
    }
  }

 private:
  // The picture to the video and, every so many frames, to a file.
  bool HandOver(std::uint64_t frame) {
    if (withVideo_) {
      const StageTimer timer(times_.handOver);
      if (!video_.AddFrame(target_.Pixels())) {
        encoderGone_ = interrupted == 0;
        return false;
      }
    }
    const std::uint32_t interval = RenderFrameInterval(options_);
    if (interval != 0 && (frame % interval == 0 || frame + 1 == RenderFrameCount(options_))) {
      const StageTimer timer(times_.pictures);
      const std::string path = FramePath(dir_, frame);
      ++pictures_;
      return WritePng(path, options_.width, options_.height, target_.TopDownRgb().data()) ||
             Fail("cannot write " + path);
    }
    return true;
  }

  const RenderOptions& options_;
  OffscreenTarget target_;
  VideoEncoder video_;
  const bool withVideo_;
  const std::filesystem::path dir_;
  Trace trace_;
  WavWriter wav_;
  FrameTimeClock clock_;  // the timer as the frames see it
  SoftwareMixer mixer_;
  Saver saver_;
  SoundTrack sound_;
  std::vector<RenderEvent> events_;
  std::size_t nextEvent_ = 0;
  StageTimes times_;
  std::uint64_t pictures_ = 0;
  std::uint64_t mixedToMs_ = 0;
  bool encoderGone_ = false;
};

// A render from start to end, its progress on a terminal.
bool Render(const RenderOptions& options, const std::string& ffmpeg) {
  const auto began = Clocked::now();
  Renderer renderer(options);
  if (!renderer.Open(ffmpeg)) {
    return false;
  }
  renderer.Start();
  const std::uint64_t frames = RenderFrameCount(options);
  const bool showProgress = !options.quiet && isatty(STDERR_FILENO) != 0;
  double shownAt = -1;
  bool ok = true;
  for (std::uint64_t frame = 0; frame < frames && ok && interrupted == 0; ++frame) {
    ok = renderer.RunFrame(frame);
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
  ok = renderer.Finish(ok);
  if (ok) {
    renderer.Summarise(SecondsSince(began));
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
