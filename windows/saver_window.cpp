// The saver window on Windows: class and window, the screen-saver-running flag, a double-buffered
// GL context, the scene and the samples, and the frame loop that drains all messages before each
// frame. SaverWindowProc maps the window's messages onto the portable input rules, reaching the
// saver through the window. Full screen, the window covers every monitor, each showing the table at
// its own size. What set-up made is undone on every way out.
#include <windows.h>

#include <new>
#include <vector>

#include "base/clock.h"
#include "base/library_loader.h"
#include "core/saver.h"
#include "gl/gl.h"
#include "gl/renderer.h"
#include "gl/scene.h"
#include "windows/password.h"
#include "windows/saver_messages.h"
#include "windows/saver_window.h"

namespace {

constexpr char kClassName[] = "OpenGL";

HWND AsHwnd(WindowHandle window) {
  return reinterpret_cast<HWND>(window);
}

class Win32WindowHost final : public WindowHost {
 public:
  explicit Win32WindowHost(LibraryLoader& libraries) : libraries_(libraries) {}
  SaverPoint CursorPos() override {
    POINT p{};
    GetCursorPos(&p);
    return SaverPoint{p.x, p.y};
  }
  void SendSetCursor(WindowHandle window) override {
    SendMessageA(AsHwnd(window), WM_SETCURSOR, 0, 0);
  }
  void SetCursorVisible(bool arrow) override {
    SetCursor(arrow ? LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)) : nullptr);
  }
  void Destroy(WindowHandle window) override { DestroyWindow(AsHwnd(window)); }
  void PostQuit() override { PostQuitMessage(0); }
  std::int32_t VerifyPassword(WindowHandle window) override {
    return VerifySaverPassword(libraries_, window);
  }

 private:
  LibraryLoader& libraries_;
};

// What the window procedure reaches through its window: the saver and the host of its rules.
struct WindowLink {
  Saver& saver;
  WindowHost& host;
};

// Monitor rectangles are wanted in physical pixels, so the process is made DPI aware before its
// first window: per monitor where the system knows that, otherwise system-wide. Looked up at run
// time, as older systems lack both calls.
void BecomeDpiAware() {
  HMODULE user32 = GetModuleHandleA("user32.dll");
  if (user32 == nullptr) {
    return;
  }
  using SetContext = BOOL(WINAPI*)(HANDLE);
  using SetAware = BOOL(WINAPI*)();
  const auto setContext = reinterpret_cast<SetContext>(
      reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDpiAwarenessContext")));
  // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2 (-4), then PER_MONITOR_AWARE (-3) for systems that
  // predate it.
  if (setContext != nullptr && (setContext(reinterpret_cast<HANDLE>(-4)) != FALSE ||
                                setContext(reinterpret_cast<HANDLE>(-3)) != FALSE)) {
    return;
  }
  const auto setAware = reinterpret_cast<SetAware>(
      reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDPIAware")));
  if (setAware != nullptr) {
    setAware();
  }
}

ScreenRect VirtualScreen() {
  const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  return ScreenRect{left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                    top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

BOOL CALLBACK AddMonitor(HMONITOR, HDC, LPRECT rect, LPARAM list) {
  try {
    reinterpret_cast<std::vector<ScreenRect>*>(list)->push_back(ScreenRect{
        static_cast<std::int32_t>(rect->left), static_cast<std::int32_t>(rect->top),
        static_cast<std::int32_t>(rect->right), static_cast<std::int32_t>(rect->bottom)});
    return TRUE;
  } catch (const std::bad_alloc&) {
    return FALSE;
  }
}

// The monitors' viewports in `window`. Without a list (the call failed), each frame draws into the
// whole window as with one monitor.
std::vector<Viewport> ReadMonitors(const ScreenRect& window) {
  std::vector<ScreenRect> monitors;
  if (EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors)) ==
      FALSE) {
    monitors.clear();
  }
  return MonitorViewports(window, monitors);
}

// A display change (a monitor added or removed, a new resolution): the window follows the virtual
// screen and each monitor gets its new viewport.
void FollowDisplayChange(Saver& saver, HWND window) {
  if (wglGetCurrentContext() == nullptr) {
    return;  // before the set-up, which reads the monitors itself
  }
  const ScreenRect screen = VirtualScreen();
  const int width = screen.right - screen.left;
  const int height = screen.bottom - screen.top;
  SetWindowPos(window, nullptr, screen.left, screen.top, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE);
  ResizeScene(width, height);
  saver.monitorViewports = ReadMonitors(screen);
}

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* link = reinterpret_cast<WindowLink*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
  }
  if (link == nullptr) {
    return DefWindowProcA(window, message, wParam, lParam);
  }
  if (message == WM_DISPLAYCHANGE && link->saver.runMode != kPreview) {
    FollowDisplayChange(link->saver, window);
  }
  const EventResult result = HandleSaverMessage(
      link->saver, link->host, reinterpret_cast<WindowHandle>(window), message, wParam);
  if (result.closeRequested) {
    PostMessageA(window, WM_CLOSE, 0, 0);
  }
  if (result.message == MessageResult::kHandled) {
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void ShowError(const char* text) {
  MessageBoxA(nullptr, text, "Error", MB_OK);
}

// The window class, registered for the run and unregistered after it.
class WindowClass {
 public:
  explicit WindowClass(HINSTANCE instance) : instance_(instance) {
    WNDCLASSA windowClass{};
    windowClass.style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = SaverWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kClassName;
    registered_ = RegisterClassA(&windowClass) != 0;
  }
  ~WindowClass() {
    if (registered_) {
      UnregisterClassA(kClassName, instance_);
    }
  }
  WindowClass(const WindowClass&) = delete;
  WindowClass& operator=(const WindowClass&) = delete;
  bool registered() const { return registered_; }

 private:
  HINSTANCE instance_;
  bool registered_ = false;
};

// Where the window goes: its rectangle (in its parent's client area for the preview, on the
// virtual screen otherwise), its style and its parent.
struct Placement {
  ScreenRect rect{};
  DWORD style = WS_POPUP | WS_VISIBLE;
  HWND parent = nullptr;
  int width() const { return rect.right - rect.left; }
  int height() const { return rect.bottom - rect.top; }
};

// False for a preview handle that names no window: there is no size to take, and nothing is made.
bool Place(const Saver& saver, WindowHandle parent, Placement* placement) {
  if (saver.runMode == kPreview) {
    RECT rect{};
    placement->parent = AsHwnd(parent);
    if (!IsWindow(placement->parent) || !GetWindowRect(placement->parent, &rect)) {
      return false;
    }
    placement->rect = ScreenRect{0, 0, rect.right - rect.left, rect.bottom - rect.top};
    placement->style = WS_CHILD | WS_VISIBLE;
    return true;
  }
  // With one monitor the virtual screen is that monitor, at (0, 0).
  BecomeDpiAware();
  placement->rect = VirtualScreen();
  return true;
}

// The saver window, destroyed at the end unless it is gone already (the way a run ends).
class SaverWindow {
 public:
  SaverWindow(HINSTANCE instance, const Placement& placement, WindowLink& link)
      : window_(CreateWindowExA(0, kClassName, "SaverWindow", placement.style, placement.rect.left,
                                placement.rect.top, placement.width(), placement.height(),
                                placement.parent, nullptr, instance, &link)) {}
  ~SaverWindow() {
    if (window_ != nullptr && IsWindow(window_)) {
      DestroyWindow(window_);
    }
  }
  SaverWindow(const SaverWindow&) = delete;
  SaverWindow& operator=(const SaverWindow&) = delete;
  HWND handle() const { return window_; }

 private:
  HWND window_;
};

// The system's screen-saver-running flag, set for the life of a Saver run.
class SaverRunningFlag {
 public:
  explicit SaverRunningFlag(bool saver) : set_(saver) { Set(set_); }
  ~SaverRunningFlag() {
    if (set_) {
      Set(false);
    }
  }
  SaverRunningFlag(const SaverRunningFlag&) = delete;
  SaverRunningFlag& operator=(const SaverRunningFlag&) = delete;

 private:
  static void Set(bool running) {
    BOOL previous = FALSE;
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, running ? 1 : 0, &previous, 0);
  }
  bool set_;
};

// The window's device context with a double-buffered RGBA GL context current on it; released
// when the run ends: no context current, the device context released, the GL context deleted.
class GlContext {
 public:
  explicit GlContext(HWND window) : window_(window), deviceContext_(GetDC(window)) {
    PIXELFORMATDESCRIPTOR request{};
    request.nSize = sizeof(PIXELFORMATDESCRIPTOR);
    request.nVersion = 1;
    request.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    request.iPixelType = PFD_TYPE_RGBA;
    request.cColorBits = 32;
    request.iLayerType = PFD_MAIN_PLANE;
    const int format = ChoosePixelFormat(deviceContext_, &request);
    if (format == 0) {
      error_ = "ChoosePixelFormat() failed:  Cannot find a suitable pixel format.";
      return;
    }
    if (!SetPixelFormat(deviceContext_, format, &request)) {
      error_ = "SetPixelFormat() failed:  Cannot set format specified.";
      return;
    }
    glContext_ = wglCreateContext(deviceContext_);
    if (glContext_ == nullptr || !wglMakeCurrent(deviceContext_, glContext_)) {
      error_ = "wglCreateContext() failed:  Cannot make an OpenGL context current.";
    }
  }
  ~GlContext() {
    wglMakeCurrent(nullptr, nullptr);
    ReleaseDC(window_, deviceContext_);
    if (glContext_ != nullptr) {
      wglDeleteContext(glContext_);
    }
  }
  GlContext(const GlContext&) = delete;
  GlContext& operator=(const GlContext&) = delete;

  // The failure's message, or null when the context is current.
  const char* error() const { return error_; }
  HDC deviceContext() const { return deviceContext_; }

 private:
  HWND window_;
  HDC deviceContext_;
  HGLRC glContext_ = nullptr;
  const char* error_ = nullptr;
};

// Every pending message first, a frame only when the queue is empty, until WM_QUIT.
void RunFrames(Saver& saver, HDC deviceContext) {
  MSG message;
  for (;;) {
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        return;
      }
      TranslateMessage(&message);
      DispatchMessageA(&message);
      continue;
    }
    // The plays as soon as the clock is read, the picture after them.
    const Frame frame = AdvanceFrame(saver, saver.frameClock.Milliseconds());
    PlayOnVoices(saver.SampleBank, frame.plays);
    RenderFrame(frame);
    SwapBuffers(deviceContext);
  }
}

}  // namespace

void RunSaverWindow(ModuleHandle instance, Saver& saver, LibraryLoader& libraries,
                    WindowHandle parent, int showCommand) {
  const auto module = static_cast<HINSTANCE>(instance);
  const WindowClass windowClass(module);
  if (!windowClass.registered()) {
    ShowError("RegisterClass() failed:  Cannot register window class.");
    return;
  }
  Placement placement;
  if (!Place(saver, parent, &placement)) {
    return;
  }
  Win32WindowHost host(libraries);
  WindowLink link{saver, host};
  const SaverWindow window(module, placement, link);
  if (window.handle() == nullptr) {
    return;
  }
  const SaverRunningFlag running(saver.runMode == kSaver);
  const GlContext gl(window.handle());
  if (gl.error() != nullptr) {
    ShowError(gl.error());
    return;
  }
  SetUpScene(saver, placement.width(), placement.height());
  SetUpRun(saver, reinterpret_cast<WindowHandle>(window.handle()));
  if (saver.runMode != kPreview) {
    saver.monitorViewports = ReadMonitors(placement.rect);
  }
  ShowWindow(window.handle(), showCommand);
  RunFrames(saver, gl.deviceContext());
}
