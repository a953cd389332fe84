// The saver window on Windows: class and window, the screen-saver-running flag, a double-buffered
// GL context, the scene and the samples, and the frame loop that drains all messages before each
// frame. SaverWindowProc maps the window's messages onto the portable input rules. Full screen, the
// window covers every monitor, each showing the table at its own size.
#include <windows.h>

#include <new>
#include <vector>

#include "base/clock.h"
#include "base/library_loader.h"
#include "core/input_rules.h"
#include "core/monitor_layout.h"
#include "core/sample_bank.h"
#include "core/saver_context.h"
#include "core/saver_run.h"
#include "core/sequencer.h"
#include "core/shared_state.h"
#include "gl/gl.h"
#include "gl/renderer.h"
#include "gl/scene.h"
#include "windows/command_line.h"
#include "windows/password.h"
#include "windows/saver_messages.h"
#include "windows/saver_window.h"
#include "windows/startup.h"

namespace {

HWND AsHwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }

class Win32WindowHost final : public WindowHost {
 public:
  explicit Win32WindowHost(LibraryLoader& libraries) : libraries_(libraries) {}
  std::uint32_t TickCount() override { return frameClock->TickCount(); }
  SaverPoint CursorPos() override {
    POINT p{};
    GetCursorPos(&p);
    return SaverPoint{p.x, p.y};
  }
  void PostClose(WindowHandle window) override { PostMessageA(AsHwnd(window), WM_CLOSE, 0, 0); }
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

// The host of the window RunSaverWindow runs, for the window procedure: set while it runs.
Win32WindowHost* windowHost = nullptr;

class HostScope {
 public:
  explicit HostScope(Win32WindowHost& host) { windowHost = &host; }
  ~HostScope() { windowHost = nullptr; }
  HostScope(const HostScope&) = delete;
  HostScope& operator=(const HostScope&) = delete;
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

// Reads the monitors and hands their viewports in `window` to the renderer. Without a list (the
// call failed), each frame draws into the whole window as with one monitor.
void ReadMonitors(const ScreenRect& window) {
  std::vector<ScreenRect> monitors;
  if (EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors)) ==
      FALSE) {
    monitors.clear();
  }
  SetMonitorViewports(MonitorViewports(window, monitors));
}

// A display change (a monitor added or removed, a new resolution): the window follows the virtual
// screen and each monitor gets its new viewport.
void FollowDisplayChange(HWND window) {
  if (wglGetCurrentContext() == nullptr) {
    return;  // before the set-up, which reads the monitors itself
  }
  const ScreenRect screen = VirtualScreen();
  const int width = screen.right - screen.left;
  const int height = screen.bottom - screen.top;
  SetWindowPos(window, nullptr, screen.left, screen.top, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE);
  ResizeScene(width, height);
  ReadMonitors(screen);
}

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (windowHost == nullptr) {
    return DefWindowProcA(window, message, wParam, lParam);
  }
  if (message == WM_DISPLAYCHANGE && runMode != kPreview) {
    FollowDisplayChange(window);
  }
  if (HandleSaverMessage(*windowHost, reinterpret_cast<WindowHandle>(window), message, wParam) ==
      MessageResult::kHandled) {
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void ShowError(const char* text) { MessageBoxA(nullptr, text, "Error", MB_OK); }

void SetSaverRunning(bool running) {
  BOOL previous = FALSE;
  SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, running ? 1 : 0, &previous, 0);
}

}  // namespace

void RunSaverWindow(LibraryLoader& libraries, WindowHandle parent, int showCommand) {
  Win32WindowHost host(libraries);
  const HostScope scope(host);
  WNDCLASSA windowClass{};
  windowClass.style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = SaverWindowProc;
  windowClass.hInstance = static_cast<HINSTANCE>(moduleInstance);
  windowClass.lpszClassName = "OpenGL";
  if (RegisterClassA(&windowClass) == 0) {
    ShowError("RegisterClass() failed:  Cannot register window class.");
    return;
  }

  const bool preview = runMode == kPreview;
  const bool saver = runMode == kSaver;
  ScreenRect screen{};
  int width = 0;
  int height = 0;
  DWORD style = WS_POPUP | WS_VISIBLE;
  HWND parentWindow = nullptr;
  if (preview) {
    // A preview handle that names no window gives no size to take: nothing is created.
    RECT rect{};
    parentWindow = AsHwnd(parent);
    if (!IsWindow(parentWindow) || !GetWindowRect(parentWindow, &rect)) {
      return;
    }
    width = rect.right - rect.left;
    height = rect.bottom - rect.top;
    style = WS_CHILD | WS_VISIBLE;
  } else {
    // With one monitor the virtual screen is that monitor, at (0, 0).
    BecomeDpiAware();
    screen = VirtualScreen();
    width = screen.right - screen.left;
    height = screen.bottom - screen.top;
  }
  HWND saverWindow =
      CreateWindowExA(0, "OpenGL", "SaverWindow", style, screen.left, screen.top, width, height,
                      parentWindow, nullptr, static_cast<HINSTANCE>(moduleInstance), nullptr);
  if (saverWindow == nullptr) {
    return;
  }
  if (saver) {
    SetSaverRunning(true);
  }

  HDC deviceContext = GetDC(saverWindow);
  PIXELFORMATDESCRIPTOR request{};
  request.nSize = sizeof(PIXELFORMATDESCRIPTOR);
  request.nVersion = 1;
  request.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  request.iPixelType = PFD_TYPE_RGBA;
  request.cColorBits = 32;
  request.iLayerType = PFD_MAIN_PLANE;
  const int format = ChoosePixelFormat(deviceContext, &request);
  if (format == 0) {
    ShowError("ChoosePixelFormat() failed:  Cannot find a suitable pixel format.");
    if (saver) {
      SetSaverRunning(false);
    }
    return;
  }
  if (!SetPixelFormat(deviceContext, format, &request)) {
    ShowError("SetPixelFormat() failed:  Cannot set format specified.");
    if (saver) {
      SetSaverRunning(false);
    }
    return;
  }
  HGLRC glContext = wglCreateContext(deviceContext);
  wglMakeCurrent(deviceContext, glContext);

  SetUpScene(width, height);
  SetUpRun(reinterpret_cast<WindowHandle>(saverWindow));
  if (!preview) {
    ReadMonitors(screen);
  }
  ShowWindow(saverWindow, showCommand);

  MSG message;
  for (;;) {
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        break;
      }
      TranslateMessage(&message);
      DispatchMessageA(&message);
      continue;
    }
    RenderFrame();
    SwapBuffers(deviceContext);
  }

  wglMakeCurrent(nullptr, nullptr);
  ReleaseDC(saverWindow, deviceContext);
  wglDeleteContext(glContext);
  if (saver) {
    SetSaverRunning(false);
  }
}
