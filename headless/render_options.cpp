// Parsing ostinel-render's command line: strict numbers with their ranges, WxH, MS:KEY events.
#include "headless/render_options.h"

#include <cctype>
#include <cstddef>
#include <limits>
#include <utility>

#include "base/options.h"
#include "core/settings_table.h"

namespace {

// Six hours: a WAVE file's 32-bit sizes hold at most 6.7 hours of 44100 Hz stereo sound.
constexpr std::uint32_t kMaxDurationMs = 21600000;
constexpr std::uint32_t kMaxFps = 1000;
constexpr std::int32_t kMaxSide = 8192;

// Seconds as a decimal with up to three places, in whole milliseconds: exact, so that the frame
// count floor(seconds × fps) never depends on binary rounding.
NumberReading ParseMilliseconds(const std::string& text, std::uint32_t maxMs, std::uint32_t* ms) {
  const std::size_t dot = text.find('.');
  const std::string whole = text.substr(0, dot);
  std::string fraction = dot == std::string::npos ? "" : text.substr(dot + 1);
  if (dot != std::string::npos && (fraction.empty() || fraction.size() > 3)) {
    return NumberReading::kNotANumber;
  }
  for (char c : fraction) {
    if (c < '0' || c > '9') {
      return NumberReading::kNotANumber;
    }
  }
  std::int64_t seconds = 0;
  const NumberReading parsed = ReadNumber(whole, std::numeric_limits<std::int64_t>::min(),
                                          std::numeric_limits<std::int64_t>::max(), &seconds);
  if (parsed != NumberReading::kOk) {
    return parsed;
  }
  // "-0.5" reads as 0 and a fraction: the sign decides.
  if (whole[0] == '-' || seconds > maxMs / 1000) {
    return NumberReading::kOutOfRange;
  }
  fraction.resize(3, '0');
  const std::int64_t total = seconds * 1000 + std::stoi(fraction);
  if (total <= 0 || total > maxMs) {
    return NumberReading::kOutOfRange;
  }
  *ms = static_cast<std::uint32_t>(total);
  return NumberReading::kOk;
}

bool ParseKey(const std::string& text, RenderKey* key) {
  for (RenderKey candidate :
       {RenderKey::kSpace, RenderKey::kEnter, RenderKey::kDown, RenderKey::kRightClick}) {
    if (text == RenderKeyName(candidate)) {
      *key = candidate;
      return true;
    }
  }
  return false;
}

// Reads an integer option's value into `field`, or says what was wrong with it.
template <typename Field>
bool IntegerOption(const OptionWord& option, std::int64_t min, std::int64_t max, Field* field,
                   std::string* error) {
  std::int64_t parsed = 0;
  if (!NumberOption(option, min, max, &parsed, error)) {
    return false;
  }
  *field = static_cast<Field>(parsed);
  return true;
}

bool SizeOption(const std::string& value, RenderOptions* options, std::string* error) {
  const std::size_t x = value.find('x');
  std::int64_t width = 0;
  std::int64_t height = 0;
  if (x == std::string::npos ||
      ReadNumber(value.substr(0, x), 1, kMaxSide, &width) != NumberReading::kOk ||
      ReadNumber(value.substr(x + 1), 1, kMaxSide, &height) != NumberReading::kOk) {
    *error = "--size takes WIDTHxHEIGHT, each from 1 to " + std::to_string(kMaxSide) + ", not '" +
             value + "'";
    return false;
  }
  options->width = static_cast<std::int32_t>(width);
  options->height = static_cast<std::int32_t>(height);
  return true;
}

bool EventOption(const std::string& value, RenderOptions* options, std::string* error) {
  const std::size_t colon = value.find(':');
  std::int64_t at = 0;
  RenderEvent event;
  if (colon == std::string::npos ||
      ReadNumber(value.substr(0, colon), 0, std::numeric_limits<std::int64_t>::max(), &at) !=
          NumberReading::kOk ||
      !ParseKey(value.substr(colon + 1), &event.key)) {
    *error = "--event takes MS:KEY with KEY one of space, enter, down, rclick, not '" + value + "'";
    return false;
  }
  event.atMs = static_cast<std::uint64_t>(at);
  options->events.push_back(event);
  return true;
}

OptionKind KindOf(const std::string& name) {
  for (const char* flag : {"help", "h", "version", "quiet", "bench"}) {
    if (name == flag) {
      return OptionKind::kFlag;
    }
  }
  for (const char* valued :
       {"seconds", "fps", "start-ms", "seed", "size", "out", "frame-every", "event", "video"}) {
    if (name == valued) {
      return OptionKind::kValued;
    }
  }
  const SettingInfo* setting = FindSetting(name.c_str());
  return setting != nullptr && setting->paramIndex >= 0 ? OptionKind::kValued
                                                        : OptionKind::kUnknown;
}

bool ApplyOption(const OptionWord& option, RenderOptions* options, std::string* error) {
  constexpr std::int64_t kMaxUint32 = std::numeric_limits<std::uint32_t>::max();
  const std::string& name = option.name;
  const std::string& value = option.value;
  const std::pair<const char*, bool*> flags[] = {{"help", &options->help},
                                                 {"h", &options->help},
                                                 {"version", &options->version},
                                                 {"quiet", &options->quiet},
                                                 {"bench", &options->bench}};
  for (const auto& [flag, field] : flags) {
    if (name == flag) {
      *field = true;
      return true;
    }
  }
  if (name == "seconds") {
    switch (ParseMilliseconds(value, kMaxDurationMs, &options->durationMs)) {
      case NumberReading::kOk:
        return true;
      case NumberReading::kNotANumber:
        *error = "--seconds takes a number with at most 3 decimals, not '" + value + "'";
        return false;
      case NumberReading::kOutOfRange:
        break;
    }
    *error = "--seconds must be more than 0 and at most " + std::to_string(kMaxDurationMs / 1000) +
             ", not " + value;
    return false;
  }
  if (name == "fps") {
    return IntegerOption(option, 1, kMaxFps, &options->fps, error);
  }
  if (name == "start-ms") {
    return IntegerOption(option, 0, kMaxUint32, &options->startMs, error);
  }
  if (name == "seed") {
    options->seedGiven = true;
    return IntegerOption(option, 0, kMaxUint32, &options->seed, error);
  }
  if (name == "frame-every") {
    return IntegerOption(option, 1, kMaxUint32, &options->frameEvery, error);
  }
  if (name == "size") {
    return SizeOption(value, options, error);
  }
  if (name == "out") {
    if (value.empty()) {
      *error = "--out takes a directory";
      return false;
    }
    options->outDir = value;
    return true;
  }
  if (name == "event") {
    return EventOption(value, options, error);
  }
  if (name == "video") {
    if (VideoFormatOf(value) == VideoFormat::kUnknown) {
      *error = "--video takes a file name ending in .mp4 or .webm, not '" + value + "'";
      return false;
    }
    options->videoPath = value;
    return true;
  }
  // The saver's settings, with the ranges of the settings table.
  const SettingInfo& setting = *FindSetting(name.c_str());
  return IntegerOption(option, setting.min, setting.max, &options->settings.Of(setting), error);
}

}  // namespace

bool ParseRenderOptions(int argc, const char* const* argv, RenderOptions* options,
                        std::string* error) {
  if (!WalkOptions(
          argc, argv, KindOf,
          [options](const OptionWord& option, std::string* message) {
            return ApplyOption(option, options, message);
          },
          error)) {
    return false;
  }
  // What the video encoders need, known only once every option is read.
  if (!options->videoPath.empty()) {
    if (options->width % 2 != 0 || options->height % 2 != 0) {
      *error = "--video needs an even width and height, not " + std::to_string(options->width) +
               "x" + std::to_string(options->height);
      return false;
    }
    if (RenderFrameCount(*options) == 0) {
      *error = "--video needs at least one frame: --seconds x --fps is below 1";
      return false;
    }
  }
  return true;
}

const char* RenderUsage() {
  return R"(Usage: ostinel-render [options]

Runs the saver's frames offscreen (OSMesa) against a virtual clock and writes what a person would
see and hear: PNG frames, the sound as a WAVE file, and a trace of every sample played.

  --seconds S       length of the render, up to 3 decimals (default 8)
  --fps F           frames a second, 1 to 1000 (default 60); floor(S x F) frames are rendered
  --start-ms T0     the millisecond timer at the first frame, 0 to 4294967295 (default 0);
                    frame k runs at (T0 + floor(k x 1000 / F)) mod 2^32
  --seed N          seed of the random generator, 0 to 4294967295 (default: the clock's time,
                    printed in the trace)
  --tempo 0..6      60 to 180 beats a minute (default 0)
  --transient 0..2  how fast the pattern changes (default 0)
  --density 0..2    how full the pattern gets (default 0)
  --rotation 0..2   table rotation: off, on, aggressive (default 0)
  --size WxH        picture size in pixels (default 1280x720)
  --out DIR         output directory, created when missing (default out/render)
  --frame-every K   write every K-th frame as DIR/frame_NNNNN.png (default: one a second, K = F,
                    or none with --video); the last frame is always written too
  --video FILE      also write the frames and the sound as one video through the ffmpeg program:
                    FILE.mp4 (H.264 + AAC) or FILE.webm (VP9 + Opus); even width and height
  --quiet           no progress line on the terminal (the summary line is always printed)
  --bench           after the summary, the time each stage of the render took
  --event MS:KEY    the user's action before the first frame whose time (T0 + elapsed, not wrapped)
                    is at least MS; KEY is space (transform the pattern), enter (day/night),
                    down or rclick (clear the pattern). Repeatable; same times apply in order.
  -h, --help        this help, then exit
  --version         the version, then exit

Writes DIR/audio.wav (44100 Hz 16-bit stereo, S seconds), DIR/trace.jsonl and the frames.
Exit status: 0 done, 1 the render failed, 2 bad command line or no ffmpeg for --video.
)";
}

const char* RenderKeyName(RenderKey key) {
  switch (key) {
    case RenderKey::kSpace:
      return "space";
    case RenderKey::kEnter:
      return "enter";
    case RenderKey::kDown:
      return "down";
    case RenderKey::kRightClick:
      return "rclick";
  }
  return "?";
}

std::uint64_t RenderFrameCount(const RenderOptions& options) {
  return static_cast<std::uint64_t>(options.durationMs) * options.fps / 1000;
}

std::uint32_t RenderFrameInterval(const RenderOptions& options) {
  if (options.frameEvery != 0) {
    return options.frameEvery;
  }
  return options.videoPath.empty() ? options.fps : 0;
}

VideoFormat VideoFormatOf(const std::string& path) {
  const std::size_t dot = path.rfind('.');
  const std::size_t slash = path.rfind('/');
  if (dot == std::string::npos || dot == 0 || (slash != std::string::npos && dot <= slash + 1)) {
    return VideoFormat::kUnknown;  // no extension, or a name that is only one: ".mp4"
  }
  std::string extension = path.substr(dot + 1);
  for (char& c : extension) {
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  if (extension == "mp4") {
    return VideoFormat::kMp4;
  }
  return extension == "webm" ? VideoFormat::kWebm : VideoFormat::kUnknown;
}
