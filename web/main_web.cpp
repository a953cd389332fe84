// Ostinel on a web page: the address's options over the stored settings, the WebGL context and the
// run's set-up, then a frame each animation frame. The page's glue (page.js) hands over the input,
// the canvas's size and the settings panel's choices through the functions exported here.
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cmath>
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
}

namespace {

constexpr char kCanvas[] = "#canvas";
constexpr WindowHandle kPageWindow = 1;

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

struct Page {
  PageOptions options;
  std::uint32_t seed = 0;
  Settings panel;  // the settings panel's choices, stored for the page's next start
  WebAudioSound sound;
  PageHost host;
  std::optional<Saver> saver;  // the piece, with the settings it runs with
  Frame shown;                 // the frame last drawn, drawn again when the canvas changes size
  bool contextLost = false;
  std::string text;  // the last text handed to the page's glue
};

Page page;

void Handle(const SaverEvent& event) {
  Saver& saver = *page.saver;
  // The close a rule asks for: leaving full screen. The page stays, and a later one may be asked.
  if (HandleSaverEvent(saver, page.host, kPageWindow, event).closeRequested) {
    HandleSaverEvent(saver, page.host, kPageWindow, SaverEvent{SaverEventKind::kCloseRequest});
    saver.saverContext.closeRequested = false;
  }
}

// The next frame: its plays to the sound, its picture to the canvas while there is one.
void NextFrame() {
  page.sound.FollowClock();
  page.shown = AdvanceFrame(*page.saver, page.saver->frameClock.Milliseconds());
  for (const SamplePlay& play : page.shown.plays) {
    page.sound.Play(play);
  }
  if (!page.contextLost) {
    RenderFrame(page.shown);
  }
}

EM_BOOL OnAnimationFrame(double, void*) {
  NextFrame();
  return EM_TRUE;
}

EM_BOOL OnContextLost(int, const void*, void*) {
  page.contextLost = true;
  StopWebGlLayer();
  return EM_TRUE;  // asks the browser to restore it
}

EM_BOOL OnContextRestored(int, const void*, void*) {
  page.contextLost = !StartWebGlLayer();
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
  if (!page.contextLost) {
    RenderFrame(page.shown);  // the last frame again, at the new size
  }
}

// The settings panel, as JSON: each setting of the table with its group, the labels of its choices,
// its least value and the panel's value; and the link to this piece.
EMSCRIPTEN_KEEPALIVE const char* ostinel_panel() {
  std::string json = "{\"ui\":" + std::string(page.options.ui ? "true" : "false") + ",\"piece\":" +
                     Quoted(PieceQuery(page.seed, page.saver->saverContext).c_str()) +
                     ",\"settings\":[";
  for (const SettingInfo& setting : kSettings) {
    json += std::string(&setting == kSettings ? "" : ",") +
            "{\"option\":" + Quoted(setting.option) + ",\"group\":" + Quoted(setting.group) +
            ",\"check\":" + (&setting == &kUseMouseSetting ? "true" : "false") +
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
  Saver& saver = page.saver.emplace(
      kSaver, RunPlatform{PlatformClock(), nullptr, PlatformResources()}, page.seed);
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
  NextFrame();  // the first frame at once, before the first animation frame
  emscripten_request_animation_frame_loop(OnAnimationFrame, nullptr);
  return 0;
}
