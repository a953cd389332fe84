// ostinel, the XScreenSaver hack: options, the one sound player per display and user, the sound
// server, then the window and its frame loop until a signal or the user ends it.
#include <X11/Xlib.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>

#include "audio/software_mixer.h"
#include "base/clock.h"
#include "base/program_resources.h"
#include "base/version.h"
#include "core/saver.h"
#include "linux/hack_options.h"
#include "linux/hack_window.h"
#include "linux/pulse_output.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void OnSignal(int) {
  stopRequested = 1;
}

// ":0.1" and ":0" are one display: the screen number is dropped.
std::string DisplayWithoutScreen(const char* name) {
  std::string display = name != nullptr ? name : "";
  const std::size_t colon = display.rfind(':');
  const std::size_t dot = display.find('.', colon == std::string::npos ? 0 : colon);
  if (colon != std::string::npos && dot != std::string::npos) {
    display.erase(dot);
  }
  return display;
}

// XScreenSaver runs one hack per monitor: the first to bind this abstract socket plays the sound,
// the others draw silently. The kernel frees the name when the process ends, however it ends.
int TakeSoundLock(const std::string& display) {
  const std::string name = "ostinel-sound-" + std::to_string(getuid()) + "-" + display;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::size_t length = std::min(name.size(), sizeof address.sun_path - 1);
  std::memcpy(address.sun_path + 1, name.data(), length);  // sun_path[0] = 0: abstract
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    return -1;
  }
  const auto size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + length);
  if (bind(fd, reinterpret_cast<const sockaddr*>(&address), size) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

int main(int argc, char** argv) {
  HackOptions options;
  std::string error;
  if (!ParseHackOptions(argc, argv, &options, &error)) {
    std::fprintf(stderr, "ostinel: %s\n(ostinel --help lists the options)\n", error.c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(HackUsage(), stdout);
    return 0;
  }
  if (options.version) {
    std::puts("ostinel " OSTINEL_VERSION_TEXT);
    return 0;
  }

  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);

  Display* display = XOpenDisplay(options.display.empty() ? nullptr : options.display.c_str());
  if (display == nullptr) {
    std::fprintf(stderr, "ostinel: cannot open display '%s'\n",
                 XDisplayName(options.display.empty() ? nullptr : options.display.c_str()));
    return 1;
  }

  const std::uint32_t seed = options.seedGiven ? options.seed : PlatformClock().Milliseconds();
  SoftwareMixer mixer;
  PulseOutput output;
  const int soundLock = TakeSoundLock(DisplayWithoutScreen(DisplayString(display)));
  if (soundLock < 0) {
    std::fprintf(stderr, "ostinel: another ostinel plays the sound on this display: silent\n");
  } else if (!output.Open("ostinel", &error)) {
    std::fprintf(stderr, "ostinel: no sound server (%s): running silent\n", error.c_str());
  } else {
    LoadSamples(PlatformResources(),
                [&mixer](int slot, const ParsedWave& wave) { return mixer.Load(slot, wave); });
  }
  Saver saver(kSaver, RunPlatform{PlatformClock(), nullptr, PlatformResources()}, seed);
  static_cast<Settings&>(saver.saverContext) = options.settings;
  saver.saverContext.useMouse = 1;  // the mouse drags the table; moving it never ends the run

  // The audio thread lays the run's clock, the one the frames read, onto the stream.
  const bool sounding = output.IsOpen();
  const int status =
      RunHackWindow(display, options, stopRequested, saver, sounding ? &mixer : nullptr,
                    [&] { output.Start(mixer, saver.frameClock); });

  output.Close();
  if (options.verbose && sounding) {
    const SoftwareMixer::PlayTally tally = mixer.Tally();
    std::fprintf(stderr,
                 "ostinel: %llu plays, %llu late; latency %.1f ms at the end, %.1f ms at most; "
                 "largest need %.1f ms\n",
                 static_cast<unsigned long long>(tally.timed),
                 static_cast<unsigned long long>(tally.late), mixer.LatencyMs(),
                 tally.largestLatencyMs, tally.largestNeedMs);
  }
  if (soundLock >= 0) {
    close(soundLock);
  }
  // The connection goes with the process (the window code synced it): closing it would unload
  // Mesa's driver, which leaves its allocations behind on unload.
  return status;
}
