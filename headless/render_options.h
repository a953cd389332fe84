// The command line of ostinel-render: how long and how fast to render, the saver's settings, the
// output, and the user's actions at given times.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/settings_table.h"

// The user's actions the tool can replay, as the saver window's input handling applies them.
enum class RenderKey { kSpace, kEnter, kDown, kRightClick };

struct RenderEvent {
  std::uint64_t atMs = 0;  // on the frame clock, before wrapping: --start-ms plus elapsed time
  RenderKey key = RenderKey::kSpace;
};

// The containers --video writes, known by the file name's extension (any case).
enum class VideoFormat { kUnknown, kMp4, kWebm };

struct RenderOptions {
  std::uint32_t durationMs = 8000;  // --seconds, kept to the millisecond
  std::uint32_t fps = 60;
  std::uint32_t startMs = 0;
  bool seedGiven = false;  // without --seed the seed comes from the real clock
  std::uint32_t seed = 0;
  Settings
      settings;  // --tempo, --transient, --density, --rotation; the others as stored by default
  std::int32_t width = 1280;
  std::int32_t height = 720;
  std::string outDir = "out/render";
  std::uint32_t frameEvery = 0;     // 0: none with --video, otherwise once a second
  std::string videoPath;            // --video: empty for none
  bool quiet = false;               // no progress line
  bool bench = false;               // the time each stage took, after the summary
  std::vector<RenderEvent> events;  // in command-line order
  bool help = false;
  bool version = false;
};

// Fills `options` from argv[1..argc-1], starting from its defaults. On bad input returns false and
// sets `error` to a one-line message naming the option; `options` is then unspecified.
bool ParseRenderOptions(int argc, const char* const* argv, RenderOptions* options,
                        std::string* error);

// The --help text.
const char* RenderUsage();

// The name of a key on the command line and in the trace.
const char* RenderKeyName(RenderKey key);

// floor(seconds × fps): the number of frames rendered.
std::uint64_t RenderFrameCount(const RenderOptions& options);
// The PNG interval in frames, with the default resolved: once a second, or 0 (no pictures) when
// a video is written.
std::uint32_t RenderFrameInterval(const RenderOptions& options);

VideoFormat VideoFormatOf(const std::string& path);
