// The hack's X window and frame loop. In its own window the keys and the mouse reach the input
// rules as saver events, as on Windows; Escape, q and the window manager's close end the run.
#include "linux/hack_window.h"

#include <GL/glx.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/clock.h"
#include "core/input_rules.h"
#include "core/saver_context.h"
#include "core/saver_run.h"
#include "core/shared_state.h"
#include "core/view.h"
#include "gl/gl.h"
#include "gl/renderer.h"
#include "gl/scene.h"
#include "linux/hack_options.h"

namespace {

bool xFailed = false;  // an X error after set-up: the window has gone (XScreenSaver destroys it)

int OnXError(Display*, XErrorEvent*) {
  xFailed = true;
  return 0;
}

// The input rules' view of the window: the pointer from the last event, closes queued for the
// loop, no password (XScreenSaver locks the screen itself).
class XWindowHost final : public WindowHost {
 public:
  SaverPoint pointer;
  bool closePosted = false;
  bool destroyed = false;

  std::uint32_t TickCount() override { return frameClock->TickCount(); }
  SaverPoint CursorPos() override { return pointer; }
  void PostClose(WindowHandle) override { closePosted = true; }
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
  int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 1, GLX_GREEN_SIZE, 1,
                      GLX_BLUE_SIZE, 1, GLX_DEPTH_SIZE, 16, None};
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
    if (auto set = reinterpret_cast<void (*)(Display*, GLXDrawable, int)>(
            proc("glXSwapIntervalEXT"))) {
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

  void Draw(int width, int height) {
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
    const float ink = view.dayMode ? 0.0f : 1.0f;
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

// Sleeps until `deadline`, waking at least every 50 ms to see whether the run was stopped.
void SleepUntil(std::chrono::steady_clock::time_point deadline,
                const volatile std::sig_atomic_t& stop) {
  using namespace std::chrono;
  for (;;) {
    const auto left = deadline - steady_clock::now();
    if (left <= nanoseconds::zero() || stop) {
      return;
    }
    const auto slice = duration_cast<nanoseconds>(std::min<steady_clock::duration>(left, 50ms));
    timespec wait{0, static_cast<long>(slice.count())};
    nanosleep(&wait, nullptr);
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

}  // namespace

int RunHackWindow(Display* display, const HackOptions& options,
                  const volatile std::sig_atomic_t& stop, const std::function<void()>& soundReady) {
  const int screen = DefaultScreen(display);
  const bool own = options.target == HackTarget::kOwnWindow;
  Window target = own ? None : TargetWindow(display, options);
  Window created = None;  // a window of ours, destroyed at the end
  Colormap colormap = None;
  XVisualInfo* visual = nullptr;
  int width = 960;
  int height = 600;

  XSetErrorHandler(OnXError);
  if (!own) {
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, target, &attributes)) {
      std::fprintf(stderr, "ostinel: there is no window 0x%lx to draw on\n", target);
      return 1;
    }
    width = attributes.width;
    height = attributes.height;
    XVisualInfo wanted{};
    wanted.visualid = XVisualIDFromVisual(attributes.visual);
    int count = 0;
    visual = XGetVisualInfo(display, VisualIDMask, &wanted, &count);
    // A given window may have children of its own (a dialog's widgets): a window of ours on top
    // of them covers it whole.
    if (visual != nullptr &&
        (options.target == HackTarget::kWindowId || !GoodVisual(display, visual))) {
      XFree(visual);
      visual = nullptr;
    }
    // Following the window's size: a window of ours inside it is resized along.
    XSelectInput(display, target, StructureNotifyMask);
  }
  Window parent = own ? RootWindow(display, screen) : target;
  if (visual == nullptr) {
    // Our own window, or one inside a window whose visual has no double-buffered GL.
    visual = ChooseVisual(display, screen);
    if (visual == nullptr) {
      std::fprintf(stderr, "ostinel: the display offers no double-buffered OpenGL visual\n");
      return 1;
    }
    colormap = XCreateColormap(display, parent, visual->visual, AllocNone);
    XSetWindowAttributes set{};
    set.colormap = colormap;
    set.background_pixel = BlackPixel(display, screen);
    set.border_pixel = 0;
    set.event_mask = own ? KeyPressMask | ButtonPressMask | ButtonReleaseMask |
                               PointerMotionMask | StructureNotifyMask
                         : 0;
    created = XCreateWindow(display, parent, 0, 0, width, height, 0, visual->depth, InputOutput,
                            visual->visual, CWColormap | CWBackPixel | CWBorderPixel | CWEventMask,
                            &set);
    if (own) {
      XStoreName(display, created, "Ostinel");
    }
    XMapWindow(display, created);
  }
  Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
  if (own) {
    XSetWMProtocols(display, created, &deleteWindow, 1);
  }
  const Window drawable = created != None ? created : target;

  GLXContext context = glXCreateContext(display, visual, nullptr, True);
  XFree(visual);
  if (context == nullptr || !glXMakeCurrent(display, drawable, context)) {
    std::fprintf(stderr, "ostinel: cannot make an OpenGL context for the window\n");
    if (context != nullptr) {
      glXDestroyContext(display, context);
    }
    if (created != None) {
      XDestroyWindow(display, created);
    }
    return 1;
  }
  SyncToDisplay(display, drawable, screen);

  XWindowHost host;
  const auto window = static_cast<WindowHandle>(drawable);
  OnSaverWindowCreated(host, window);
  SetUpScene(width, height);
  SetUpRun(window);
  if (soundReady) {
    soundReady();
  }
  FpsOverlay fps(display, options.showFps);

  const auto delay = std::chrono::microseconds(options.delayUs);
  auto next = std::chrono::steady_clock::now();
  bool quit = false;
  while (!stop && !quit && !xFailed && !host.destroyed) {
    while (XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type == ConfigureNotify &&
          (event.xconfigure.width != width || event.xconfigure.height != height)) {
        width = event.xconfigure.width;
        height = event.xconfigure.height;
        if (!own && created != None && event.xconfigure.window == target) {
          XResizeWindow(display, created, width, height);
        }
        ResizeScene(width, height);
      } else if (event.type == ClientMessage &&
                 static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow) {
        quit = true;
      } else if (event.type == DestroyNotify && event.xdestroywindow.window == target) {
        quit = true;
      } else if (own) {
        SaverEvent saverEvent;
        if (Translate(event, &saverEvent, &quit)) {
          host.pointer = PointerOf(event);
          HandleSaverEvent(host, window, saverEvent);
        }
      }
    }
    if (host.closePosted) {
      host.closePosted = false;
      HandleSaverEvent(host, window, SaverEvent{SaverEventKind::kCloseRequest, SaverKey::kOther});
    }
    if (quit || stop || host.destroyed) {
      break;
    }
    RenderFrame();
    fps.Draw(width, height);
    glXSwapBuffers(display, drawable);
    // Never faster than the delay allows, whatever the swap does; a late frame resets the pace.
    next += delay;
    const auto now = std::chrono::steady_clock::now();
    if (next < now) {
      next = now;
    }
    SleepUntil(next, stop);
  }

  glXMakeCurrent(display, None, nullptr);
  glXDestroyContext(display, context);
  if (created != None && !xFailed) {
    XDestroyWindow(display, created);
  }
  if (colormap != None) {
    XFreeColormap(display, colormap);
  }
  XSync(display, False);
  return 0;
}
