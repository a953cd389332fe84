// Parsing ostinel-render's command line: strict numbers with their ranges, WxH, MS:KEY events.
#include "headless/render_options.h"

#include <cctype>
#include <cstddef>
#include <limits>

#include "base/option_value.h"
#include "core/settings_table.h"

namespace {

// Six hours: a WAVE file's 32-bit sizes hold at most 6.7 hours of 44100 Hz stereo sound.
constexpr std::uint32_t kMaxDurationMs = 21600000;
constexpr std::uint32_t kMaxFps = 1000;
constexpr std::int32_t kMaxSide = 8192;

enum class Number { kOk, kNotANumber, kOutOfRange };

// A decimal integer: an optional minus sign, then digits and nothing else (no spaces, no plus,
// no hex), so that a typo is never read as a different number.
Number ParseInteger(const std::string& text, std::int64_t min, std::int64_t max,
                    std::int64_t* value) {
  std::size_t i = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (negative) {
    ++i;
  }
  if (i == text.size()) {
    return Number::kNotANumber;
  }
  std::uint64_t magnitude = 0;
  bool tooBig = false;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') {
      return Number::kNotANumber;
    }
    const auto digit = static_cast<std::uint64_t>(text[i] - '0');
    if (magnitude > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) {
      tooBig = true;
    } else {
      magnitude = magnitude * 10 + digit;
    }
  }
  if (tooBig || magnitude > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
    return Number::kOutOfRange;
  }
  const std::int64_t signedValue =
      negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
  if (signedValue < min || signedValue > max) {
    return Number::kOutOfRange;
  }
  *value = signedValue;
  return Number::kOk;
}

// Seconds as a decimal with up to three places, in whole milliseconds: exact, so that the frame
// count floor(seconds × fps) never depends on binary rounding.
Number ParseMilliseconds(const std::string& text, std::uint32_t maxMs, std::uint32_t* ms) {
  const std::size_t dot = text.find('.');
  const std::string whole = text.substr(0, dot);
  std::string fraction = dot == std::string::npos ? "" : text.substr(dot + 1);
  if (dot != std::string::npos && (fraction.empty() || fraction.size() > 3)) {
    return Number::kNotANumber;
  }
  for (char c : fraction) {
    if (c < '0' || c > '9') {
      return Number::kNotANumber;
    }
  }
  std::int64_t seconds = 0;
  const Number parsed = ParseInteger(whole, std::numeric_limits<std::int64_t>::min(),
                                     std::numeric_limits<std::int64_t>::max(), &seconds);
  if (parsed != Number::kOk) {
    return parsed;
  }
  // "-0.5" reads as 0 and a fraction: the sign decides.
  if (whole[0] == '-' || seconds > maxMs / 1000) {
    return Number::kOutOfRange;
  }
  fraction.resize(3, '0');
  const std::int64_t total = seconds * 1000 + std::stoi(fraction);
  if (total <= 0 || total > maxMs) {
    return Number::kOutOfRange;
  }
  *ms = static_cast<std::uint32_t>(total);
  return Number::kOk;
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
bool IntegerOption(const std::string& name, const std::string& value, std::int64_t min,
                   std::int64_t max, Field* field, std::string* error) {
  std::int64_t parsed = 0;
  switch (ParseInteger(value, min, max, &parsed)) {
    case Number::kOk:
      *field = static_cast<Field>(parsed);
      return true;
    case Number::kNotANumber:
      *error = name + " takes a whole number, not '" + value + "'";
      return false;
    case Number::kOutOfRange:
      break;
  }
  *error = name + " must be from " + std::to_string(min) + " to " + std::to_string(max) + ", not " +
           value;
  return false;
}

bool SizeOption(const std::string& value, RenderOptions* options, std::string* error) {
  const std::size_t x = value.find('x');
  std::int64_t width = 0;
  std::int64_t height = 0;
  if (x == std::string::npos ||
      ParseInteger(value.substr(0, x), 1, kMaxSide, &width) != Number::kOk ||
      ParseInteger(value.substr(x + 1), 1, kMaxSide, &height) != Number::kOk) {
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
      ParseInteger(value.substr(0, colon), 0, std::numeric_limits<std::int64_t>::max(), &at) !=
          Number::kOk ||
      !ParseKey(value.substr(colon + 1), &event.key)) {
    *error = "--event takes MS:KEY with KEY one of space, enter, down, rclick, not '" + value + "'";
    return false;
  }
  event.atMs = static_cast<std::uint64_t>(at);
  options->events.push_back(event);
  return true;
}

// Every option but --help, --version, --quiet and --bench takes a value.
bool KnownOption(const std::string& name) {
  for (const char* known :
       {"--seconds", "--fps", "--start-ms", "--seed", "--tempo", "--transient", "--density",
        "--rotation", "--size", "--out", "--frame-every", "--event", "--video"}) {
    if (name == known) {
      return true;
    }
  }
  return false;
}

bool ApplyOption(const std::string& name, const std::string& value, RenderOptions* options,
                 std::string* error) {
  constexpr std::int64_t kMaxUint32 = std::numeric_limits<std::uint32_t>::max();
  if (name == "--seconds") {
    switch (ParseMilliseconds(value, kMaxDurationMs, &options->durationMs)) {
      case Number::kOk:
        return true;
      case Number::kNotANumber:
        *error = "--seconds takes a number with at most 3 decimals, not '" + value + "'";
        return false;
      case Number::kOutOfRange:
        break;
    }
    *error = "--seconds must be more than 0 and at most " + std::to_string(kMaxDurationMs / 1000) +
             ", not " + value;
    return false;
  }
  if (name == "--fps") {
    return IntegerOption(name, value, 1, kMaxFps, &options->fps, error);
  }
  if (name == "--start-ms") {
    return IntegerOption(name, value, 0, kMaxUint32, &options->startMs, error);
  }
  if (name == "--seed") {
    options->seedGiven = true;
    return IntegerOption(name, value, 0, kMaxUint32, &options->seed, error);
  }
  // The saver's settings, with the ranges of the settings table.
  std::int32_t* const settings[] = {&options->tempo, &options->transient, &options->density,
                                    &options->rotation};
  if (const SettingInfo* setting = FindSetting(name.c_str() + 2);
      setting != nullptr && setting->paramIndex >= 0) {
    return IntegerOption(name, value, setting->min, setting->max, settings[setting->paramIndex],
                         error);
  }
  if (name == "--frame-every") {
    return IntegerOption(name, value, 1, kMaxUint32, &options->frameEvery, error);
  }
  if (name == "--size") {
    return SizeOption(value, options, error);
  }
  if (name == "--out") {
    if (value.empty()) {
      *error = "--out takes a directory";
      return false;
    }
    options->outDir = value;
    return true;
  }
  if (name == "--event") {
    return EventOption(value, options, error);
  }
  if (name == "--video") {
    if (VideoFormatOf(value) == VideoFormat::kUnknown) {
      *error = "--video takes a file name ending in .mp4 or .webm, not '" + value + "'";
      return false;
    }
    options->videoPath = value;
    return true;
  }
  *error = "unknown option '" + name + "'";
  return false;
}

}  // namespace

bool ParseRenderOptions(int argc, const char* const* argv, RenderOptions* options,
                        std::string* error) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      options->help = true;
      continue;
    }
    if (arg == "--version") {
      options->version = true;
      continue;
    }
    if (arg == "--quiet" || arg == "--bench") {
      (arg == "--quiet" ? options->quiet : options->bench) = true;
      continue;
    }
    if (arg.rfind("--", 0) != 0 || arg.size() == 2) {
      *error = "unexpected argument '" + arg + "'";
      return false;
    }
    // --name value, or --name=value.
    const std::size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    if (!KnownOption(name)) {
      *error = "unknown option '" + name + "'";
      return false;
    }
    std::string value;
    if (!TakeOptionValue(arg, argc, argv, &i, &value)) {
      *error = name + " needs a value";
      return false;
    }
    if (!ApplyOption(name, value, options, error)) {
      return false;
    }
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
