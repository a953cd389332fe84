// The hack's X window and frame loop. In its own window the keys and the mouse reach the input
// rules as saver events, as on Windows; Escape, q and the window manager's close end the run.
#include "linux/hack_window.h"

#include <GL/glx.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <signal.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>
#include <string>
#include <thread>

#include "audio/software_mixer.h"
#include "base/clock.h"
#include "core/frame_schedule.h"
#include "core/saver.h"
#include "gl/gl.h"
#include "gl/renderer.h"
#include "gl/scene.h"
#include "linux/hack_options.h"
#include "core/heard_frames.h"

namespace {

bool xFailed = false;  // an X error after set-up: the window has gone (XScreenSaver destroys it)

int OnXError(Display*, XErrorEvent*) {
  xFailed = true;
  return 0;
}

// The input rules' view of the window: the pointer from the last event, no password (XScreenSaver
// locks the screen itself).
class XWindowHost final : public WindowHost {
 public:
  SaverPoint pointer;
  bool destroyed = false;

  SaverPoint CursorPos() override { return pointer; }
  void SendSetCursor(WindowHandle) override {}
  void SetCursorVisible(bool) override {}
  void Destroy(WindowHandle) override { destroyed = true; }
  void PostQuit() override {}
  std::int32_t VerifyPassword(WindowHandle) override { return 1; }
};

bool GoodVisual(Display* display, XVisualInfo* info) {
  int useGl = 0, rgba = 0, doubleBuffer = 0, depth = 0;
  return glXGetConfig(display, info, GLX_USE_GL, &useGl) == 0 && useGl &&
         glXGetConfig(display, info, GLX_RGBA, &rgba) == 0 && rgba &&
         glXGetConfig(display, info, GLX_DOUBLEBUFFER, &doubleBuffer) == 0 && doubleBuffer &&
         glXGetConfig(display, info, GLX_DEPTH_SIZE, &depth) == 0 && depth > 0;
}

XVisualInfo* ChooseVisual(Display* display, int screen) {
  int attributes[] = {
      GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 1,   GLX_GREEN_SIZE, 1, GLX_BLUE_SIZE,
      1,        GLX_DEPTH_SIZE,   16,           None};
  return glXChooseVisual(display, screen, attributes);
}

// Swap interval 1 where the GLX offers a way to ask for it.
void SyncToDisplay(Display* display, GLXDrawable drawable, int screen) {
  const char* extensions = glXQueryExtensionsString(display, screen);
  auto has = [extensions](const char* name) {
    return extensions != nullptr && std::strstr(extensions, name) != nullptr;
  };
  auto proc = [](const char* name) {
    return glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name));
  };
  if (has("GLX_EXT_swap_control")) {
    if (auto set =
            reinterpret_cast<void (*)(Display*, GLXDrawable, int)>(proc("glXSwapIntervalEXT"))) {
      set(display, drawable, 1);
    }
  } else if (has("GLX_MESA_swap_control")) {
    if (auto set = reinterpret_cast<int (*)(unsigned)>(proc("glXSwapIntervalMESA"))) {
      set(1);
    }
  } else if (has("GLX_SGI_swap_control")) {
    if (auto set = reinterpret_cast<int (*)(int)>(proc("glXSwapIntervalSGI"))) {
      set(1);
    }
  }
}

// The frame rate in a corner, in the X server's "fixed" font.
class FpsOverlay {
 public:
  FpsOverlay(Display* display, bool shown) : display_(display) {
    font_ = shown ? XLoadQueryFont(display, "fixed") : nullptr;
    if (font_ != nullptr) {
      base_ = glGenLists(96);
      glXUseXFont(font_->fid, 32, 96, base_);
    }
  }
  ~FpsOverlay() {
    if (font_ != nullptr) {
      glDeleteLists(base_, 96);
      XFreeFont(display_, font_);
    }
  }
  FpsOverlay(const FpsOverlay&) = delete;
  FpsOverlay& operator=(const FpsOverlay&) = delete;

  void Draw(int width, int height, bool dayMode) {
    if (font_ == nullptr) {
      return;
    }
    ++frames_;
    const auto now = std::chrono::steady_clock::now();
    const double seconds = std::chrono::duration<double>(now - since_).count();
    if (seconds >= 1.0) {
      std::snprintf(text_, sizeof text_, "FPS: %.1f", frames_ / seconds);
      frames_ = 0;
      since_ = now;
    }
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LIST_BIT);
    glDisable(GL_FOG);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, width, 0, height, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    const float ink = dayMode ? 0.0f : 1.0f;
    glColor3f(ink, ink, ink);
    glRasterPos2i(8, height - 8 - font_->ascent);
    glListBase(base_ - 32);
    glCallLists(static_cast<GLsizei>(std::strlen(text_)), GL_UNSIGNED_BYTE, text_);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
  }

 private:
  Display* display_;
  XFontStruct* font_ = nullptr;
  GLuint base_ = 0;
  int frames_ = 0;
  char text_[32] = "FPS: -";
  std::chrono::steady_clock::time_point since_ = std::chrono::steady_clock::now();
};

// The own window's X input as saver events; false for events the saver does not take.
bool Translate(const XEvent& event, SaverEvent* out, bool* quit) {
  switch (event.type) {
    case KeyPress: {
      const KeySym key = XLookupKeysym(const_cast<XKeyEvent*>(&event.xkey), 0);
      out->kind = SaverEventKind::kKey;
      switch (key) {
        case XK_space:
          out->key = SaverKey::kSpace;
          return true;
        case XK_Return:
        case XK_KP_Enter:
          out->key = SaverKey::kEnter;
          return true;
        case XK_Down:
          out->key = SaverKey::kDown;
          return true;
        case XK_Left:
          out->key = SaverKey::kLeft;
          return true;
        case XK_Right:
          out->key = SaverKey::kRight;
          return true;
        case XK_Escape:
        case XK_q:
          *quit = true;
          return false;
        default:
          return false;  // an ordinary window: other keys do nothing
      }
    }
    case ButtonPress:
    case ButtonRelease: {
      const bool down = event.type == ButtonPress;
      if (event.xbutton.button == Button1) {
        out->kind = down ? SaverEventKind::kLeftDown : SaverEventKind::kLeftUp;
        return true;
      }
      if (event.xbutton.button == Button3) {
        out->kind = down ? SaverEventKind::kRightDown : SaverEventKind::kRightUp;
        return true;
      }
      return false;
    }
    case MotionNotify:
      out->kind = SaverEventKind::kMouseMove;
      return true;
    default:
      return false;
  }
}

SaverPoint PointerOf(const XEvent& event) {
  switch (event.type) {
    case ButtonPress:
    case ButtonRelease:
      return SaverPoint{event.xbutton.x_root, event.xbutton.y_root};
    case MotionNotify:
      return SaverPoint{event.xmotion.x_root, event.xmotion.y_root};
    default:
      return SaverPoint{};
  }
}

Window TargetWindow(Display* display, const HackOptions& options) {
  if (options.target == HackTarget::kWindowId) {
    return static_cast<Window>(options.windowId);
  }
  const char* named = std::getenv("XSCREENSAVER_WINDOW");
  if (named != nullptr && *named != '\0') {
    char* end = nullptr;
    const unsigned long id = std::strtoul(named, &end, 0);
    if (end != named && *end == '\0' && id != 0) {
      return static_cast<Window>(id);
    }
    std::fprintf(stderr, "ostinel: ignoring XSCREENSAVER_WINDOW='%s'\n", named);
  }
  return DefaultRootWindow(display);
}

// The window the hack draws on (the one named, one of its own inside it, or a window of its own)
// with a GLX context current on it; all of it undone on the way out, whichever way that is.
class GlWindow {
 public:
  GlWindow(Display* display, const HackOptions& options);
  ~GlWindow();
  GlWindow(const GlWindow&) = delete;
  GlWindow& operator=(const GlWindow&) = delete;

  // Why there is nothing to draw on, or "".
  const std::string& error() const { return error_; }

  Display* const display;
  const bool own;  // a window of its own, which takes keys and the mouse
  Window target = None;
  Window drawable = None;
  int width = 960;
  int height = 600;
  Atom deleteWindow = None;

 private:
  bool Open(const HackOptions& options);
  bool MakeContext();

  Window created_ = None;  // a window of ours, destroyed at the end
  Colormap colormap_ = None;
  XVisualInfo* visual_ = nullptr;
  GLXContext context_ = nullptr;
  std::string error_;
};

GlWindow::GlWindow(Display* d, const HackOptions& options)
    : display(d), own(options.target == HackTarget::kOwnWindow) {
  XSetErrorHandler(OnXError);
  if (Open(options)) {
    MakeContext();
  }
  if (visual_ != nullptr) {
    XFree(visual_);
    visual_ = nullptr;
  }
}

bool GlWindow::Open(const HackOptions& options) {
  const int screen = DefaultScreen(display);
  if (!own) {
    target = TargetWindow(display, options);
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, target, &attributes)) {
      char text[64];
      std::snprintf(text, sizeof text, "there is no window 0x%lx to draw on", target);
      error_ = text;
      return false;
    }
    width = attributes.width;
    height = attributes.height;
    XVisualInfo wanted{};
    wanted.visualid = XVisualIDFromVisual(attributes.visual);
    int count = 0;
    visual_ = XGetVisualInfo(display, VisualIDMask, &wanted, &count);
    // A given window may have children of its own (a dialog's widgets): a window of ours on top
    // of them covers it whole.
    if (visual_ != nullptr &&
        (options.target == HackTarget::kWindowId || !GoodVisual(display, visual_))) {
      XFree(visual_);
      visual_ = nullptr;
    }
    // Following the window's size: a window of ours inside it is resized along.
    XSelectInput(display, target, StructureNotifyMask);
  }
  drawable = target;
  if (visual_ != nullptr) {
    return true;
  }
  // Our own window, or one inside a window whose visual has no double-buffered GL.
  visual_ = ChooseVisual(display, screen);
  if (visual_ == nullptr) {
    error_ = "the display offers no double-buffered OpenGL visual";
    return false;
  }
  const Window parent = own ? RootWindow(display, screen) : target;
  colormap_ = XCreateColormap(display, parent, visual_->visual, AllocNone);
  XSetWindowAttributes set{};
  set.colormap = colormap_;
  set.background_pixel = BlackPixel(display, screen);
  set.border_pixel = 0;
  set.event_mask = own ? KeyPressMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                             StructureNotifyMask
                       : 0;
  created_ =
      XCreateWindow(display, parent, 0, 0, width, height, 0, visual_->depth, InputOutput,
                    visual_->visual, CWColormap | CWBackPixel | CWBorderPixel | CWEventMask, &set);
  drawable = created_;
  if (own) {
    XStoreName(display, created_, "Ostinel");
    deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, created_, &deleteWindow, 1);
  }
  XMapWindow(display, created_);
  return true;
}

bool GlWindow::MakeContext() {
  context_ = glXCreateContext(display, visual_, nullptr, True);
  if (context_ == nullptr || !glXMakeCurrent(display, drawable, context_)) {
    error_ = "cannot make an OpenGL context for the window";
    return false;
  }
  SyncToDisplay(display, drawable, DefaultScreen(display));
  return true;
}

GlWindow::~GlWindow() {
  if (context_ != nullptr) {
    glXMakeCurrent(display, None, nullptr);
    glXDestroyContext(display, context_);
  }
  if (created_ != None && !xFailed) {
    XDestroyWindow(display, created_);
  }
  if (colormap_ != None) {
    XFreeColormap(display, colormap_);
  }
  XSync(display, False);
}

// The X events that came since the last frame: the window's size followed, the end of the run
// noticed, and in a window of its own the keys and the mouse handed to the input rules.
bool HandleEvents(GlWindow& window, Saver& saver, std::mutex& saverMutex, XWindowHost& host) {
  bool quit = false;
  while (XPending(window.display) > 0) {
    XEvent event;
    XNextEvent(window.display, &event);
    if (event.type == ConfigureNotify &&
        (event.xconfigure.width != window.width || event.xconfigure.height != window.height)) {
      window.width = event.xconfigure.width;
      window.height = event.xconfigure.height;
      if (!window.own && window.drawable != window.target &&
          event.xconfigure.window == window.target) {
        XResizeWindow(window.display, window.drawable, window.width, window.height);
      }
      ResizeScene(window.width, window.height);
    } else if (event.type == ClientMessage && window.deleteWindow != None &&
               static_cast<Atom>(event.xclient.data.l[0]) == window.deleteWindow) {
      quit = true;
    } else if (event.type == DestroyNotify && event.xdestroywindow.window == window.target) {
      quit = true;
    } else if (window.own) {
      SaverEvent saverEvent;
      if (Translate(event, &saverEvent, &quit)) {
        host.pointer = PointerOf(event);
        const auto handle = static_cast<WindowHandle>(window.drawable);
        const std::lock_guard<std::mutex> lock(saverMutex);
        // A close the rules ask for is handled at once: there is no queue of our own to post to.
        if (HandleSaverEvent(saver, host, handle, saverEvent).closeRequested) {
          HandleSaverEvent(saver, host, handle, SaverEvent{SaverEventKind::kCloseRequest});
        }
      }
    }
  }
  return !quit && !host.destroyed;
}

using Ms = std::chrono::duration<double, std::milli>;

// The saver's frames on a clock of their own, in a thread of their own: each frame runs when it is
// due and hands its plays to the sound then, whatever the drawing costs; the frames run wait in
// `frames` for the window's thread to draw the one being heard. One mutex guards the saver (the
// window's thread hands it the input) and the frames.
class FrameRunner {
 public:
  FrameRunner(Saver& saver, SoftwareMixer* sound, std::uint32_t periodUs)
      : saver_(saver),
        sound_(sound),
        start_(std::chrono::steady_clock::now()),
        schedule_(saver.frameClock.Milliseconds(), periodUs, 1000),
        thread_([this] { Run(); }) {}
  ~FrameRunner() {
    {
      const std::lock_guard<std::mutex> lock(mutex);
      ending_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }
  FrameRunner(const FrameRunner&) = delete;
  FrameRunner& operator=(const FrameRunner&) = delete;

  // The time since frame 0 was due, in ms.
  double ElapsedMs() const { return Ms(std::chrono::steady_clock::now() - start_).count(); }
  std::chrono::steady_clock::time_point At(double elapsedMs) const {
    return start_ + std::chrono::duration_cast<std::chrono::steady_clock::duration>(Ms(elapsedMs));
  }

  std::mutex mutex;
  HeardFrames frames;
  std::condition_variable added;  // a frame to come, where there was none

 private:
  void Run() {
    // Signals go to the window's thread, which ends the run.
    sigset_t blocked;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGTERM);
    sigaddset(&blocked, SIGINT);
    pthread_sigmask(SIG_BLOCK, &blocked, nullptr);
    std::unique_lock<std::mutex> lock(mutex);
    while (!ending_) {
      const FrameSchedule::Due due = schedule_.Take(ElapsedMs());
      const bool noneAhead = frames.NextHeardMs() == std::numeric_limits<double>::infinity();
      for (std::uint64_t k = due.first; k < due.first + due.count; ++k) {
        Frame frame = AdvanceFrame(saver_, schedule_.TimeOf(k));
        if (sound_ != nullptr) {
          for (const SamplePlay& play : frame.plays) {
            sound_->Play(play);
          }
        }
        frames.Add(k, schedule_.OffsetOf(k), std::move(frame));
      }
      if (due.count > 0 && noneAhead) {
        added.notify_one();
      }
      wake_.wait_until(lock, At(schedule_.NextDueMs()), [this] { return ending_; });
    }
  }

  Saver& saver_;
  SoftwareMixer* sound_;
  const std::chrono::steady_clock::time_point start_;
  FrameSchedule schedule_;
  bool ending_ = false;
  std::condition_variable wake_;
  std::thread thread_;  // last: it starts once the rest is set
};

}  // namespace

int RunHackWindow(Display* display, const HackOptions& options,
                  const volatile std::sig_atomic_t& stop, Saver& saver, SoftwareMixer* sound,
                  const std::function<void()>& soundReady) {
  GlWindow window(display, options);
  if (!window.error().empty()) {
    std::fprintf(stderr, "ostinel: %s\n", window.error().c_str());
    return 1;
  }
  OnSaverWindowCreated(saver, static_cast<WindowHandle>(window.drawable));
  SetUpScene(saver, window.width, window.height);
  SetUpRun(saver, static_cast<WindowHandle>(window.drawable));
  if (soundReady) {
    soundReady();
  }
  FpsOverlay fps(display, options.showFps);
  XWindowHost host;
  FrameRunner runner(saver, sound, FramePeriodUs(options.delayUs));
  while (!stop && !xFailed && HandleEvents(window, saver, runner.mutex, host) && !stop) {
    // The frame of the moment being heard, which the latency puts behind the frames run.
    Frame shown;
    bool draw = false;
    {
      std::unique_lock<std::mutex> lock(runner.mutex);
      const double latencyMs = sound != nullptr ? sound->LatencyMs() : 0.0;
      if (const Frame* heard = runner.frames.ToShow(runner.ElapsedMs() - latencyMs)) {
        shown = *heard;
        draw = true;
      } else {
        // Up when the next frame is heard, or for the window's events and the end of the run.
        const double wakeMs =
            std::min(runner.frames.NextHeardMs() + latencyMs, runner.ElapsedMs() + 50);
        runner.added.wait_until(lock, runner.At(wakeMs));
      }
    }
    if (draw) {
      RenderFrame(shown);
      fps.Draw(window.width, window.height, shown.dayMode);
      glXSwapBuffers(display, window.drawable);
    }
  }
  return 0;
}
