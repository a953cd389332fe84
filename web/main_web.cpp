// Ostinel on a web page: the address's options over the stored settings, the WebGL context and the
// run's set-up, then the piece's frames on a clock of their own, 60 a second as ostinel-render
// --fps 60 runs them, whenever animation frames come and, without them (a hidden tab), on a timer;
// the picture is of the moment being heard. The page's glue (page.js) hands over the input, the
// canvas's size and the settings panel's choices through the functions exported here.
#include <emscripten.h>
#include <emscripten/eventloop.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "web/core.h"
#include "web/page_options.h"
#include "web/page_services.h"
#include "web/web_audio_sound.h"
#include "web/webgl_layer.h"

extern "C" {
// Leaves full screen, if the page is in it.
void ostinel_leave_fullscreen();
// The gain of everything the page plays, from now on.
void ostinel_audio_volume(double gain);
}

namespace {

constexpr char kCanvas[] = "#canvas";
constexpr WindowHandle kPageWindow = 1;
// Frame k at floor(k × 1000 / 60) ms of the piece's time.
constexpr std::uint64_t kFramePeriodMs = 1000;
constexpr std::uint64_t kFramesPerPeriod = 60;
// How many steps' timings the report holds: the last 20 s or more at any tempo.
constexpr std::size_t kStepsReported = 256;

// The input rules' view of the page. Ending the saver, on a page, is leaving full screen: the page
// itself goes on. There is no password (the system locks the screen itself).
class PageHost final : public WindowHost {
 public:
  SaverPoint pointer;

  SaverPoint CursorPos() override { return pointer; }
  void SendSetCursor(WindowHandle) override {}
  void SetCursorVisible(bool) override {}
  void Destroy(WindowHandle) override { ostinel_leave_fullscreen(); }
  void PostQuit() override {}
  std::int32_t VerifyPassword(WindowHandle) override { return 1; }
};

// A step as the page placed it: its start and when it is heard, on the piece's time, whether it
// started late, and how many samples it played.
struct PlacedStep {
  double startMs;
  double heardMs;
  bool late;
  std::size_t plays;
};

struct Page {
  PageOptions options;
  std::uint32_t seed = 0;
  Settings panel;  // the settings panel's choices, stored for the page's next start
  PageVolume volume;
  WebAudioSound sound;
  PageHost host;
  FrameTimeClock clock;  // the piece's own time, that of the frame being run
  FrameSchedule schedule{0, kFramePeriodMs, kFramesPerPeriod};
  double originMs = 0;           // the timer instant of the piece's time 0
  bool timing = false;           // the piece's time runs: frame 0 is shown, the page has started
  std::optional<Saver> saver;    // the piece, with the settings it runs with
  HeardFrames frames;            // the frames run, from the one of the moment being heard on
  Frame shown;                   // the frame last drawn, drawn again when the canvas changes size
  std::uint64_t shownIndex = 0;  // whose pattern, step and look it shows
  std::uint64_t shownCameraOf = 0;  // whose camera it shows
  bool drawn = false;               // false: the next animation frame draws, whatever it shows
  bool contextLost = false;
  // The report: the steps as placed, the frames skipped, the latest a frame ran since the last.
  std::deque<PlacedStep> steps;
  std::uint64_t skippedFrames = 0;
  std::uint64_t drawnFrames = 0;
  double latestRunMs = 0;
  std::string text;  // the last text handed to the page's glue
};

Page page;

double PieceNow() {
  return emscripten_get_now() - page.originMs;
}

void Handle(const SaverEvent& event) {
  Saver& saver = *page.saver;
  // The close a rule asks for: leaving full screen. The page stays, and a later one may be asked.
  if (HandleSaverEvent(saver, page.host, kPageWindow, event).closeRequested) {
    HandleSaverEvent(saver, page.host, kPageWindow, SaverEvent{SaverEventKind::kCloseRequest});
    saver.saverContext.closeRequested = false;
  }
}

// The frames due by now, in order, each with its own time: their plays to the sound, the frames
// kept for the picture.
void RunDueFrames() {
  if (!page.timing) {
    return;
  }
  const double now = PieceNow();
  const std::uint64_t expected = page.schedule.next();
  const FrameSchedule::Due due = page.schedule.Take(now);
  if (due.count == 0) {
    return;
  }
  page.skippedFrames += due.first - expected;
  page.latestRunMs = std::max(page.latestRunMs, now - page.schedule.OffsetOf(due.first));
  page.sound.FollowClock(page.originMs);
  for (std::uint64_t k = due.first; k < due.first + due.count; ++k) {
    const std::uint32_t time = page.schedule.TimeOf(k);
    page.clock.now = time;
    Frame frame = AdvanceFrame(*page.saver, time);
    // A step this frame notices began after the frame before it.
    page.sound.Expect(k > 0 ? page.schedule.OffsetOf(k - 1) : 0.0, now);
    std::optional<WebAudioSound::Placed> placed;
    for (const SamplePlay& play : frame.plays) {
      placed = page.sound.Play(play, now);
    }
    if (placed) {
      page.steps.push_back(
          PlacedStep{frame.plays.front().at, placed->heardMs, placed->late, frame.plays.size()});
      if (page.steps.size() > kStepsReported) {
        page.steps.pop_front();
      }
    }
    frame.plays.clear();
    page.frames.Add(k, page.schedule.OffsetOf(k), std::move(frame));
  }
}

// The frames before the one being heard go. It never moves back, so a latency that grows holds
// the picture until the sound catches up with it.
void LetGoOfHeardFrames() {
  const double now = PieceNow();
  page.frames.Hear(now - page.sound.LatencyMs(now));
}

// The picture of the moment being heard: the pattern, the raised step and the look of the frame
// whose drums are sounding, from the camera of the latest frame, which follows the mouse at once.
void Draw() {
  LetGoOfHeardFrames();
  if (page.contextLost || page.frames.empty()) {
    return;
  }
  const HeardFrames::Run& heard = page.frames.heard();
  const HeardFrames::Run& latest = page.frames.latest();
  if (page.drawn && heard.index == page.shownIndex && latest.index == page.shownCameraOf) {
    return;
  }
  page.shown = heard.frame;
  page.shown.camera = latest.frame.camera;
  page.shownIndex = heard.index;
  page.shownCameraOf = latest.index;
  RenderFrame(page.shown);
  page.drawn = true;
  ++page.drawnFrames;
}

EM_BOOL OnAnimationFrame(double, void*) {
  RunDueFrames();
  Draw();
  return EM_TRUE;
}

// Frames run without animation frames, as in a hidden tab, where the drums go on: woken when the
// next frame is due.
void OnTimer(void*) {
  RunDueFrames();
  LetGoOfHeardFrames();
  emscripten_set_timeout(OnTimer, std::max(0.0, page.schedule.NextDueMs() - PieceNow()), nullptr);
}

EM_BOOL OnContextLost(int, const void*, void*) {
  page.contextLost = true;
  StopWebGlLayer();
  return EM_TRUE;  // asks the browser to restore it
}

EM_BOOL OnContextRestored(int, const void*, void*) {
  page.contextLost = !StartWebGlLayer();
  page.drawn = false;
  return EM_TRUE;
}

std::string Quoted(const char* text) {
  std::string quoted = "\"";
  for (const char* c = text; *c != '\0'; ++c) {
    if (*c == '"' || *c == '\\') {
      quoted += '\\';
    }
    quoted += *c;
  }
  return quoted + "\"";
}

std::string Number(double value, int decimals = 1) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

}  // namespace

extern "C" {

// A key, by the DOM's name of it (KeyboardEvent.key), pressed without Ctrl, Alt or Meta: true when
// it is the saver's, false when it is left to the browser.
EMSCRIPTEN_KEEPALIVE int ostinel_key(const char* name) {
  const std::string key = name;
  SaverEvent event{SaverEventKind::kKey, SaverKey::kOther};
  if (key == " ") {
    event.key = SaverKey::kSpace;
  } else if (key == "Enter") {
    event.key = SaverKey::kEnter;
  } else if (key == "ArrowDown") {
    event.key = SaverKey::kDown;
  } else if (key == "ArrowLeft") {
    event.key = SaverKey::kLeft;
  } else if (key == "ArrowRight") {
    event.key = SaverKey::kRight;
  } else if (key == "Escape" || key == "Tab" ||
             (key.size() > 1 && key[0] == 'F' && key[1] >= '1' && key[1] <= '9')) {
    return 0;  // leaving full screen, moving the focus, the browser's function keys
  }
  Handle(event);
  return 1;
}

// The mouse: `type` 0 a button pressed, 1 released, 2 a move; `button` as the DOM numbers it (0
// left, 1 middle, 2 right); x and y in device pixels.
EMSCRIPTEN_KEEPALIVE void ostinel_pointer(int type, int button, int x, int y) {
  page.host.pointer = SaverPoint{x, y};
  SaverEvent event;
  if (type == 2) {
    event.kind = SaverEventKind::kMouseMove;
  } else if (button == 0) {
    event.kind = type == 0 ? SaverEventKind::kLeftDown : SaverEventKind::kLeftUp;
  } else if (button == 2) {
    event.kind = type == 0 ? SaverEventKind::kRightDown : SaverEventKind::kRightUp;
  } else if (button == 1 && type == 0) {
    event.kind = SaverEventKind::kMiddleClick;
  } else {
    return;
  }
  Handle(event);
}

// The canvas has a new size in device pixels: the viewport follows, and a frame fills it at once.
EMSCRIPTEN_KEEPALIVE void ostinel_resize(int width, int height) {
  emscripten_set_canvas_element_size(kCanvas, width, height);
  ResizeScene(width, height);
  if (!page.contextLost && page.drawn) {
    RenderFrame(page.shown);  // the last frame again, at the new size
  }
}

// The page has started (and its sound, where the browser lets it start at once): the piece's time
// begins, so that what the start-up did after frame 0 (the panel, an audio output opened in
// half a second) holds no frame up.
EMSCRIPTEN_KEEPALIVE void ostinel_begin() {
  if (!page.timing) {
    page.timing = true;
    page.originMs = emscripten_get_now();
    OnTimer(nullptr);
  }
}

// The settings panel, as JSON: each setting of the table with its group, the labels of its choices,
// its least value and the panel's value; the groups the address sets for this visit; the volume;
// the link to this piece, and the addresses that start it again and start a new one.
EMSCRIPTEN_KEEPALIVE const char* ostinel_panel() {
  const auto flag = [](bool value) { return std::string(value ? "true" : "false"); };
  std::string json =
      "{\"ui\":" + flag(page.options.ui) + ",\"debug\":" + flag(page.options.debug) +
      ",\"piece\":" + Quoted(PieceQuery(page.seed, page.saver->saverContext).c_str()) +
      ",\"restart\":" + Quoted(RestartQuery(page.options, &page.seed).c_str()) +
      ",\"newPiece\":" + Quoted(RestartQuery(page.options, nullptr).c_str()) +
      ",\"volume\":" + std::to_string(page.volume.percent) +
      ",\"muted\":" + flag(page.volume.muted) + ",\"settings\":[";
  for (const SettingInfo& setting : kSettings) {
    json += std::string(&setting == kSettings ? "" : ",") +
            "{\"option\":" + Quoted(setting.option) + ",\"group\":" + Quoted(setting.group) +
            ",\"check\":" + flag(&setting == &kUseMouseSetting) +
            ",\"given\":" + flag(page.options.given[&setting - kSettings]) +
            ",\"min\":" + std::to_string(setting.min) +
            ",\"value\":" + std::to_string(page.panel.Of(setting)) + ",\"labels\":[";
    for (int i = 0; i < ChoiceCount(setting); ++i) {
      json += std::string(i == 0 ? "" : ",") + Quoted(setting.labels[i]);
    }
    json += "]}";
  }
  page.text = json + "]}";
  return page.text.c_str();
}

// A choice in the settings panel: stored with the others for the page's next start. False when the
// value is not one of the setting's.
EMSCRIPTEN_KEEPALIVE int ostinel_choose(const char* option, int value) {
  const SettingInfo* setting = FindSetting(option);
  if (setting == nullptr || value < setting->min || value > setting->max) {
    return 0;
  }
  page.panel.Of(*setting) = value;
  SavePageSettings(page.panel);
  return 1;
}

// The panel's volume (0 to 100) and mute: heard at once, and stored.
EMSCRIPTEN_KEEPALIVE void ostinel_volume(int percent, int muted) {
  page.volume = PageVolume{std::clamp(percent, 0, 100), muted != 0};
  ostinel_audio_volume(VolumeGain(page.volume));
  SavePageVolume(page.volume);
}

// How the page keeps time, as JSON, for its report (debug=1) and its tests: the frame whose
// pattern shows and the spin it is seen with, the latency now, the timer instant of the piece's
// time 0, the frames skipped and drawn so far, the most a frame ran after it was due since the
// last report, and the last steps as [start, heard, late, samples played] on the piece's time.
EMSCRIPTEN_KEEPALIVE const char* ostinel_report() {
  const double now = PieceNow();
  std::string json = "{\"frame\":" + std::to_string(page.shownIndex) +
                     ",\"spin\":" + Number(page.shown.camera.tableSpin) +
                     ",\"latencyMs\":" + Number(page.sound.LatencyMs(now)) +
                     ",\"originMs\":" + Number(page.originMs) +
                     ",\"skippedFrames\":" + std::to_string(page.skippedFrames) +
                     ",\"drawnFrames\":" + std::to_string(page.drawnFrames) +
                     ",\"latestRunMs\":" + Number(page.latestRunMs) + ",\"steps\":[";
  page.latestRunMs = 0;
  for (const PlacedStep& step : page.steps) {
    json += std::string(&step == &page.steps.front() ? "[" : ",[") + Number(step.startMs, 3) + "," +
            Number(step.heardMs) + "," + (step.late ? "1" : "0") + "," +
            std::to_string(step.plays) + "]";
  }
  page.text = json + "]}";
  return page.text.c_str();
}

}  // extern "C"

// argv[1] is the page's query string.
int main(int argc, char** argv) {
  std::vector<std::string> warnings;
  page.options = ParsePageQuery(argc > 1 ? argv[1] : "", &warnings);
  for (const std::string& warning : warnings) {
    emscripten_console_warn(("ostinel: " + warning).c_str());
  }
  // A piece of its own at each visit, unless the address names one.
  page.seed = page.options.seedGiven
                  ? page.options.seed
                  : static_cast<std::uint32_t>(std::floor(emscripten_random() * 4294967296.0));
  page.panel = LoadPageSettings();
  page.volume = LoadPageVolume();
  ostinel_audio_volume(VolumeGain(page.volume));
  Saver& saver =
      page.saver.emplace(kSaver, RunPlatform{page.clock, nullptr, PlatformResources()}, page.seed);
  static_cast<Settings&>(saver.saverContext) = page.panel;
  ApplyPageOptions(page.options, &saver.saverContext);
  LoadSamples(PlatformResources(),
              [](int slot, const ParsedWave& wave) { return page.sound.Load(slot, wave); });

  EmscriptenWebGLContextAttributes attributes;
  emscripten_webgl_init_context_attributes(&attributes);
  attributes.alpha = EM_FALSE;
  attributes.antialias = EM_FALSE;  // as the saver's pixel format: no multisampling
  attributes.depth = EM_TRUE;
  attributes.stencil = EM_FALSE;
  const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE gl = emscripten_webgl_create_context(kCanvas, &attributes);
  if (gl <= 0 || emscripten_webgl_make_context_current(gl) != EMSCRIPTEN_RESULT_SUCCESS ||
      !StartWebGlLayer()) {
    EM_ASM(Module.noWebGl());
    return 0;
  }
  emscripten_set_webglcontextlost_callback(kCanvas, nullptr, EM_FALSE, OnContextLost);
  emscripten_set_webglcontextrestored_callback(kCanvas, nullptr, EM_FALSE, OnContextRestored);

  int width = 0;
  int height = 0;
  emscripten_get_canvas_element_size(kCanvas, &width, &height);
  OnSaverWindowCreated(saver, kPageWindow);
  SetUpScene(saver, width, height);
  SetUpRun(saver, kPageWindow);
  // Frame 0 now, drawn at once, before the first animation frame; the next once the page has
  // started (ostinel_begin).
  page.timing = true;
  page.originMs = emscripten_get_now();
  RunDueFrames();
  page.timing = false;
  Draw();
  emscripten_request_animation_frame_loop(OnAnimationFrame, nullptr);
  return 0;
}
