// Parsing the hack's command line, with the settings' names and ranges from the settings table.
#include "linux/hack_options.h"

#include "base/options.h"
#include "core/settings_table.h"

namespace {

OptionKind KindOf(const std::string& name) {
  for (const char* flag : {"root", "window", "fps", "verbose", "version", "help", "h"}) {
    if (name == flag) {
      return OptionKind::kFlag;
    }
  }
  const SettingInfo* setting = FindSetting(name.c_str());
  return name == "window-id" || name == "display" || name == "delay" || name == "seed" ||
                 (setting != nullptr && setting->paramIndex >= 0)
             ? OptionKind::kValued
             : OptionKind::kUnknown;
}

bool ApplyOption(const OptionWord& option, HackOptions* options, std::string* error) {
  const std::string& name = option.name;
  std::int64_t number = 0;
  if (name == "root" || name == "window") {
    options->target = name == "root" ? HackTarget::kRoot : HackTarget::kOwnWindow;
  } else if (name == "fps") {
    options->showFps = true;
  } else if (name == "verbose") {
    options->verbose = true;
  } else if (name == "version") {
    options->version = true;
  } else if (name == "help" || name == "h") {
    options->help = true;
  } else if (name == "display") {
    options->display = option.value;
  } else if (name == "window-id") {
    if (!NumberOption(option, 1, 0xFFFFFFFF, &number, error, true)) {
      return false;
    }
    options->target = HackTarget::kWindowId;
    options->windowId = static_cast<std::uint64_t>(number);
  } else if (name == "delay") {
    if (!NumberOption(option, 0, kMaxDelayUs, &number, error)) {
      return false;
    }
    options->delayUs = static_cast<std::uint32_t>(number);
  } else if (name == "seed") {
    if (!NumberOption(option, 0, 0xFFFFFFFF, &number, error)) {
      return false;
    }
    options->seedGiven = true;
    options->seed = static_cast<std::uint32_t>(number);
  } else {
    const SettingInfo& setting = *FindSetting(name.c_str());
    if (!NumberOption(option, setting.min, setting.max, &number, error)) {
      return false;
    }
    options->settings.Of(setting) = static_cast<std::int32_t>(number);
  }
  return true;
}

}  // namespace

bool ParseHackOptions(int argc, const char* const* argv, HackOptions* options, std::string* error) {
  return WalkOptions(
      argc, argv, KindOf,
      [options](const OptionWord& option, std::string* message) {
        return ApplyOption(option, options, message);
      },
      error);
}

const char* HackUsage() {
  return R"(usage: ostinel [options]

A table of 25 x 8 coloured boxes spins while a step clock plays the pattern they encode; dice
mutate the pattern at the end of every bar. A hack for XScreenSaver, or a program of its own.

  --window          draw in a window of its own (the default): Space transforms the pattern,
                    Enter switches day and night, Down or a right click clears the pattern,
                    a left drag spins the table, a right drag moves it in depth; Escape, q or
                    closing the window ends it
  --root            draw on $XSCREENSAVER_WINDOW, or on the root window when it is unset
  --window-id ID    draw on window ID (decimal or 0x hexadecimal)
  --display NAME    the X display (default $DISPLAY)
  --fps             show the frame rate
  --delay US        US microseconds per frame, 0 to 10000000 (default 16666): the frames
                    keep this pace however long drawing takes, a slow draw showing the
                    latest; below 1000, 0 ("as fast as possible") included, one a millisecond
  --tempo 0..6      60 to 180 beats a minute (default 0)
  --transient 0..2  how fast the pattern changes: slow, midium, fast (default 0)
  --density 0..2    how full the pattern gets: sparse, midium, nearly full (default 0)
  --rotation 0..2   table rotation: off, on, agressive (default 0)
  --seed N          seed of the dice, 0 to 4294967295 (default: the clock)
  --verbose         at the end, say on stderr how the drums kept time: the plays, how many
                    came late, the latency from a step's start to its sound
  --version         print the version
  -h, --help        this text

Exit status: 0 done (also after SIGTERM or SIGINT), 1 no display or no OpenGL, 2 bad command line.
)";
}
