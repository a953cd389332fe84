// Parsing the hack's command line, with the settings' names and ranges from the settings table.
#include "linux/hack_options.h"

#include <cstring>

#include "base/option_value.h"
#include "core/settings_table.h"

namespace {

bool NumberOption(const std::string& name, const std::string& value, std::int64_t min,
                  std::int64_t max, std::int64_t* parsed, std::string* error, bool hex = false) {
  if (ParseOptionNumber(value, min, max, hex, parsed)) {
    return true;
  }
  *error = "--" + name + " takes a whole number from " + std::to_string(min) + " to " +
           std::to_string(max) + ", not '" + value + "'";
  return false;
}

bool TakesValue(const std::string& name) {
  return name == "window-id" || name == "display" || name == "delay" || name == "seed" ||
         (FindSetting(name.c_str()) != nullptr && name != "use-mouse");
}

bool ApplyOption(const std::string& name, const std::string& value, HackOptions* options,
                 std::string* error) {
  std::int64_t number = 0;
  if (name == "window-id") {
    if (!NumberOption(name, value, 1, 0xFFFFFFFF, &number, error, true)) {
      return false;
    }
    options->target = HackTarget::kWindowId;
    options->windowId = static_cast<std::uint64_t>(number);
    return true;
  }
  if (name == "display") {
    options->display = value;
    return true;
  }
  if (name == "delay") {
    if (!NumberOption(name, value, 0, kMaxDelayUs, &number, error)) {
      return false;
    }
    options->delayUs = static_cast<std::uint32_t>(number);
    return true;
  }
  if (name == "seed") {
    if (!NumberOption(name, value, 0, 0xFFFFFFFF, &number, error)) {
      return false;
    }
    options->seedGiven = true;
    options->seed = static_cast<std::uint32_t>(number);
    return true;
  }
  const SettingInfo* setting = FindSetting(name.c_str());
  if (!NumberOption(name, value, setting->min, setting->max, &number, error)) {
    return false;
  }
  options->params[setting->paramIndex] = static_cast<std::int32_t>(number);
  return true;
}

}  // namespace

bool ParseHackOptions(int argc, const char* const* argv, HackOptions* options,
                      std::string* error) {
  for (const SettingInfo& setting : kSettings) {
    if (setting.paramIndex >= 0) {
      options->params[setting.paramIndex] = setting.defaultValue;
    }
  }
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    const std::size_t dashes = arg.rfind("--", 0) == 0 ? 2 : (arg.rfind('-', 0) == 0 ? 1 : 0);
    if (dashes == 0 || arg.size() == dashes) {
      *error = "unexpected argument '" + arg + "'";
      return false;
    }
    arg.erase(0, dashes);
    const std::size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    if (TakesValue(name)) {
      std::string value;
      if (!TakeOptionValue(arg, argc, argv, &i, &value)) {
        *error = "--" + name + " needs a value";
        return false;
      }
      if (!ApplyOption(name, value, options, error)) {
        return false;
      }
      continue;
    }
    if (equals != std::string::npos) {
      *error = "--" + name + " takes no value";
      return false;
    }
    if (name == "root") {
      options->target = HackTarget::kRoot;
    } else if (name == "window") {
      options->target = HackTarget::kOwnWindow;
    } else if (name == "fps") {
      options->showFps = true;
    } else if (name == "version") {
      options->version = true;
    } else if (name == "help" || name == "h") {
      options->help = true;
    } else {
      *error = "unknown option '" + std::string(argv[i]) + "'";
      return false;
    }
  }
  return true;
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
  --delay US        at least US microseconds per frame, 0 to 10000000 (default 16666)
  --tempo 0..6      60 to 180 beats a minute (default 0)
  --transient 0..2  how fast the pattern changes: slow, midium, fast (default 0)
  --density 0..2    how full the pattern gets: sparse, midium, nearly full (default 0)
  --rotation 0..2   table rotation: off, on, agressive (default 0)
  --seed N          seed of the dice, 0 to 4294967295 (default: the clock)
  --version         print the version
  -h, --help        this text

Exit status: 0 done (also after SIGTERM or SIGINT), 1 no display or no OpenGL, 2 bad command line.
)";
}
