// A console program for the Wine sound tests: loads the saver's sample bank and plays slots through
// DirectSound, or renders the same plays with the portable software mixer into a WAV file.
//   play [--quiet] [SLOT VOLUME PAN]...        load the bank, then play each triple on a schedule
//   play --mixer OUT.wav [SLOT VOLUME PAN]...  the same plays at the same offsets, in software
//   play --device                              print what creating the default device returns
// Unless quiet, it prints "load_ms=N loaded=N", then "play slot=N start_ms=N length_ms=N" per play
// (start_ms from the first play: measured under DirectSound, scheduled under the mixer), and the
// device probe prints "create=0xXXXXXXXX".
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "audio/direct_sound_win32.h"
#include "audio/software_mixer.h"
#include "engine/sample_bank.h"
#include "platform/clock.h"
#include "platform/program_resources.h"

namespace {

struct PlayCall {
  int slot = 0;
  std::int32_t volume = 0;
  std::int32_t pan = 0;
  std::uint32_t startMs = 0;   // from the first play
  std::uint32_t lengthMs = 0;  // the sample's own length
};

// Each play gets the sample's length and a margin to itself, so that no two ever overlap even with
// the output's latency, and at least 1.5 s so that a test can cut one window per play.
constexpr std::uint32_t kMarginMs = 700;
constexpr std::uint32_t kMinimumSpacingMs = 1500;

std::uint32_t SpacingAfter(const PlayCall& call) {
  const std::uint32_t spacing = call.lengthMs + kMarginMs;
  return spacing < kMinimumSpacingMs ? kMinimumSpacingMs : spacing;
}

// Parses the SLOT VOLUME PAN triples; false on a malformed list.
bool ParsePlays(int argc, char** argv, std::vector<PlayCall>* calls) {
  if (argc % 3 != 0) {
    return false;
  }
  for (int i = 0; i < argc; i += 3) {
    PlayCall call;
    call.slot = std::atoi(argv[i]);
    call.volume = std::atoi(argv[i + 1]);
    call.pan = std::atoi(argv[i + 2]);
    if (call.slot < 0 || call.slot >= kSampleSlots) {
      return false;
    }
    calls->push_back(call);
  }
  return true;
}

// Lays the plays out in time from the loaded samples' lengths (a slot that did not load has none).
void Schedule(std::vector<PlayCall>* calls) {
  std::uint32_t start = 0;
  for (PlayCall& call : *calls) {
    // 16-bit stereo frames at 44100 Hz, the samples' format.
    call.lengthMs = static_cast<std::uint32_t>(
        static_cast<std::uint64_t>(SampleBank[call.slot].sampleBytes) * 1000 / (4 * 44100));
    call.startMs = start;
    start += SpacingAfter(call);
  }
}

int LoadedSlots() {
  int loaded = 0;
  for (const SampleVoice& voice : SampleBank) {
    loaded += voice.voiceBuffer != nullptr ? 1 : 0;
  }
  return loaded;
}

// Waits until timeGetTime() reaches `until`, handling the window's messages meanwhile.
void WaitUntil(std::uint32_t until) {
  for (;;) {
    const std::int32_t left = static_cast<std::int32_t>(until - timeGetTime());
    if (left <= 0) {
      return;
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left), QS_ALLINPUT);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      DispatchMessageA(&message);
    }
  }
}

// DirectSound's cooperative level wants a window: a hidden top-level one stands in for the saver's.
HWND CreateHiddenWindow() {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "OstinelPlay";
  RegisterClassA(&windowClass);
  return CreateWindowExA(0, "OstinelPlay", "play", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                         nullptr, windowClass.hInstance, nullptr);
}

void PutLe(std::vector<unsigned char>* out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) {
    out->push_back(static_cast<unsigned char>(value >> (8 * i)));
  }
}

bool WriteWav(const char* path, const std::vector<std::int16_t>& frames) {
  const std::uint32_t dataBytes = static_cast<std::uint32_t>(frames.size() * 2);
  std::vector<unsigned char> header;
  header.insert(header.end(), {'R', 'I', 'F', 'F'});
  PutLe(&header, 36 + dataBytes, 4);
  header.insert(header.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  PutLe(&header, 16, 4);
  PutLe(&header, kWaveFormatPcm, 2);
  PutLe(&header, 2, 2);
  PutLe(&header, kMixRate, 4);
  PutLe(&header, kMixRate * 4, 4);
  PutLe(&header, 4, 2);
  PutLe(&header, 16, 2);
  header.insert(header.end(), {'d', 'a', 't', 'a'});
  PutLe(&header, dataBytes, 4);
  std::FILE* file = std::fopen(path, "wb");
  if (file == nullptr) {
    return false;
  }
  // The frames are written as they lie in memory: x86 is little-endian, as WAV is.
  const bool written = std::fwrite(header.data(), 1, header.size(), file) == header.size() &&
                       std::fwrite(frames.data(), 2, frames.size(), file) == frames.size();
  return std::fclose(file) == 0 && written;
}

// Plays the calls through DirectSound in real time; each call's start becomes the measured one.
void PlayLive(std::vector<PlayCall>* calls) {
  const std::uint32_t first = timeGetTime();
  for (PlayCall& call : *calls) {
    WaitUntil(first + call.startMs);
    call.startMs = timeGetTime() - first;
    SampleBank[call.slot].Play(call.volume, call.pan, 0, false);
  }
  if (!calls->empty()) {
    WaitUntil(first + calls->back().startMs + SpacingAfter(calls->back()));
  }
}

// Renders the calls with the software mixer, each play at its scheduled frame.
std::vector<std::int16_t> RenderMixed(SoftwareMixer& mixer, const std::vector<PlayCall>& calls) {
  std::uint32_t endMs = 0;
  if (!calls.empty()) {
    endMs = calls.back().startMs + SpacingAfter(calls.back());
  }
  const std::size_t totalFrames = static_cast<std::size_t>(endMs) * kMixRate / 1000;
  std::vector<std::int16_t> frames(totalFrames * 2);
  std::size_t done = 0;
  for (const PlayCall& call : calls) {
    const std::size_t startFrame = static_cast<std::size_t>(call.startMs) * kMixRate / 1000;
    mixer.Render(frames.data() + 2 * done, startFrame - done);
    done = startFrame;
    SampleBank[call.slot].Play(call.volume, call.pan, 0, false);
  }
  mixer.Render(frames.data() + 2 * done, totalFrames - done);
  return frames;
}

int Usage() {
  std::fprintf(stderr,
               "usage: play [--quiet] [SLOT VOLUME PAN]... | "
               "play --mixer OUT.wav [SLOT VOLUME PAN]... | play --device\n");
  return 2;
}

int ProbeDevice() {
  SoundDevice* device = nullptr;
  const std::int32_t result = PlatformSoundSystem().CreateDevice(&device);
  std::printf("create=0x%08x\n", static_cast<unsigned>(result));
  if (device != nullptr) {
    device->Release();
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--device") == 0) {
    return ProbeDevice();
  }
  bool quiet = false;
  const char* mixerOutput = nullptr;
  int next = 1;
  if (next < argc && std::strcmp(argv[next], "--quiet") == 0) {
    quiet = true;
    ++next;
  } else if (next + 1 < argc && std::strcmp(argv[next], "--mixer") == 0) {
    mixerOutput = argv[next + 1];
    next += 2;
  }
  std::vector<PlayCall> calls;
  if (!ParsePlays(argc - next, argv + next, &calls)) {
    return Usage();
  }

  SoftwareMixer mixer;
  soundPlatform.system =
      mixerOutput != nullptr ? static_cast<SoundSystem*>(&mixer) : &PlatformSoundSystem();
  soundPlatform.clock = &PlatformClock();
  soundPlatform.resources = &PlatformResources();

  timeBeginPeriod(1);
  HWND window = CreateHiddenWindow();
  const std::uint32_t loadStart = timeGetTime();
  LoadSampleBank(reinterpret_cast<WindowHandle>(window));
  const std::uint32_t loadMs = timeGetTime() - loadStart;
  Schedule(&calls);

  int status = 0;
  if (mixerOutput != nullptr) {
    if (!WriteWav(mixerOutput, RenderMixed(mixer, calls))) {
      std::fprintf(stderr, "cannot write %s\n", mixerOutput);
      status = 1;
    }
  } else {
    PlayLive(&calls);
  }
  timeEndPeriod(1);

  if (!quiet) {
    std::printf("load_ms=%u loaded=%d\n", static_cast<unsigned>(loadMs), LoadedSlots());
    for (const PlayCall& call : calls) {
      std::printf("play slot=%d start_ms=%u length_ms=%u\n", call.slot,
                  static_cast<unsigned>(call.startMs), static_cast<unsigned>(call.lengthMs));
    }
  }
  if (window != nullptr) {
    DestroyWindow(window);
  }
  return status;
}
