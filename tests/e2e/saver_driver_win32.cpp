// A console program for the Wine tests of the saver's windows: starts ostinel.scr as Windows does,
// watches its windows and the screen-saver-running flag, and reports them, one fact a line.
//   saver_driver preview SCR SECONDS     a 152 x 112 parent window with SCR /p <parent> inside it
//                                        for SECONDS, then the parent destroyed
//   saver_driver preview-bad SCR HANDLE  SCR /p HANDLE, with a handle that names no window
//   saver_driver run SCR SECONDS         SCR /s, watched until it ends (ended after SECONDS)
//   saver_driver flag                    how the system shares the flag between processes
// A script waits for the line "ready" before it acts on the saver's window.
#include <windows.h>

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Where the preview parent sits on the screen, and its size: that of the monitor picture on the
// system's screen-saver page.
constexpr int kPreviewX = 200;
constexpr int kPreviewY = 150;
constexpr int kPreviewWidth = 152;
constexpr int kPreviewHeight = 112;

// How often the driver looks at the saver's windows, process and flag.
constexpr DWORD kPollMs = 10;

// Each line goes out at once: the script reads the output while the saver still runs.
void Report(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::vprintf(format, arguments);
  va_end(arguments);
  std::printf("\n");
  std::fflush(stdout);
}

bool UnderWine() {
  return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

// The flag as this process's SystemParametersInfo sees it.
int RunningFlagHere() {
  BOOL running = FALSE;
  if (!SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0)) {
    return -1;
  }
  return running ? 1 : 0;
}

// The flag as the system holds it for everyone. Wine keeps a copy per process, read once, and
// shares a change only through a volatile registry value that later processes start from: under
// Wine that value is the flag; elsewhere SystemParametersInfo is.
int RunningFlag() {
  static const bool wine = UnderWine();
  if (!wine) {
    return RunningFlagHere();
  }
  char value[16] = {};
  DWORD size = sizeof value - 1;
  const LSTATUS status = RegGetValueA(
      HKEY_CURRENT_USER, "Software\\Wine\\Temporary System Parameters\\Control Panel\\Desktop",
      "WINE_ScreenSaverRunning", RRF_RT_REG_SZ, nullptr, value, &size);
  return status == ERROR_SUCCESS ? std::atoi(value) : 0;
}

bool Start(const std::string& commandLine, PROCESS_INFORMATION* process) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  std::string line = commandLine;  // CreateProcessA may write into its command line
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      process)) {
    Report("start_failed error=%lu", GetLastError());
    return false;
  }
  CloseHandle(process->hThread);
  return true;
}

std::string Quoted(const char* path) {
  return std::string("\"") + path + "\"";
}

// Waits up to `ms` for the process to end, handling this thread's messages meanwhile (the preview
// parent is this thread's, and destroying it involves the saver's thread). True once it has ended.
bool WaitForProcess(HANDLE process, DWORD ms) {
  const DWORD until = GetTickCount() + ms;
  for (;;) {
    const auto left = static_cast<LONG>(until - GetTickCount());
    const DWORD result = MsgWaitForMultipleObjects(
        1, &process, FALSE, left > 0 ? static_cast<DWORD>(left) : 0, QS_ALLINPUT);
    if (result == WAIT_OBJECT_0) {
      return true;
    }
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    if (result != WAIT_OBJECT_0 + 1) {
      return WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    }
  }
}

DWORD ExitCode(HANDLE process) {
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  return code;
}

// Ends a saver that did not end by itself, so that no test leaves one behind.
void EndProcess(HANDLE process) {
  TerminateProcess(process, 124);
  WaitForSingleObject(process, 5000);
}

// The first top-level window of class "OpenGL" that the process owns.
HWND FindSaverWindow(DWORD processId) {
  struct Search {
    DWORD processId;
    HWND found;
  } search{processId, nullptr};
  EnumWindows(
      [](HWND window, LPARAM parameter) -> BOOL {
        auto* s = reinterpret_cast<Search*>(parameter);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        char name[64] = {};
        GetClassNameA(window, name, sizeof name);
        if (owner == s->processId && std::strcmp(name, "OpenGL") == 0) {
          s->found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Class, name, style and rectangle of a window, the rectangle relative to `origin`'s client area
// (the screen when null).
void ReportWindow(const char* what, HWND window, HWND origin) {
  char className[64] = {};
  char name[64] = {};
  GetClassNameA(window, className, sizeof className);
  GetWindowTextA(window, name, sizeof name);
  RECT rect{};
  GetWindowRect(window, &rect);
  MapWindowPoints(HWND_DESKTOP, origin, reinterpret_cast<POINT*>(&rect), 2);
  Report("%s class=%s name=%s style=0x%08lx rect=%ld,%ld,%ld,%ld visible=%d", what, className, name,
         static_cast<unsigned long>(GetWindowLongA(window, GWL_STYLE)), rect.left, rect.top,
         rect.right - rect.left, rect.bottom - rect.top, IsWindowVisible(window) ? 1 : 0);
}

// The preview's parent: a plain blue popup that clips its child, as the system's preview control
// does; the blue shows any part that the saver leaves uncovered.
HWND CreatePreviewParent() {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hbrBackground = CreateSolidBrush(RGB(0, 0, 255));
  windowClass.lpszClassName = "SaverDriverPreview";
  RegisterClassA(&windowClass);
  return CreateWindowExA(
      0, "SaverDriverPreview", "preview", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, kPreviewX,
      kPreviewY, kPreviewWidth, kPreviewHeight, nullptr, nullptr, windowClass.hInstance, nullptr);
}

int Preview(const char* scr, DWORD seconds) {
  HWND parent = CreatePreviewParent();
  if (parent == nullptr) {
    Report("no_parent error=%lu", GetLastError());
    return 1;
  }
  UpdateWindow(parent);
  RECT screenRect{};
  GetWindowRect(parent, &screenRect);
  RECT client{};
  GetClientRect(parent, &client);
  // A window handle goes on the command line as the decimal value of its 32 bits.
  const auto handle = static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(parent));
  Report("parent handle=%lu client=%ld,%ld running=%d", handle, client.right, client.bottom,
         RunningFlag());

  PROCESS_INFORMATION process{};
  if (!Start(Quoted(scr) + " /p " + std::to_string(handle), &process)) {
    return 1;
  }
  const DWORD start = GetTickCount();
  HWND child = nullptr;
  bool ended = false;
  int mostRunning = 0;
  // Found during its creation, the child may not be visible yet: it is reported once it is.
  while ((child == nullptr || !IsWindowVisible(child)) && !ended &&
         GetTickCount() - start < 15000) {
    ended = WaitForProcess(process.hProcess, kPollMs);
    child = FindWindowExA(parent, nullptr, "OpenGL", nullptr);
    mostRunning = std::max(mostRunning, RunningFlag());
  }
  if (child == nullptr) {
    Report("no_child ended=%d", ended ? 1 : 0);
  } else {
    Report("child_found ms=%lu children=%d", GetTickCount() - start,
           FindWindowExA(parent, child, nullptr, nullptr) == nullptr ? 1 : 2);
    ReportWindow("child", child, parent);
    Report("ready %ld %ld %ld %ld", screenRect.left, screenRect.top,
           screenRect.right - screenRect.left, screenRect.bottom - screenRect.top);
    const DWORD until = GetTickCount() + seconds * 1000;
    while (!ended && static_cast<LONG>(until - GetTickCount()) > 0) {
      ended = WaitForProcess(process.hProcess, kPollMs);
      mostRunning = std::max(mostRunning, RunningFlag());
    }
    Report("toplevel=%d", FindSaverWindow(process.dwProcessId) != nullptr ? 1 : 0);
    if (ended) {
      Report("ended_early");
    } else {
      Report("child_alive=%d", IsWindow(child) ? 1 : 0);
    }
  }
  Report("running_most=%d", mostRunning);

  // Wine's X11 driver may wait up to 2 s for the parent to be unmapped when there is no window
  // manager: the time to the saver's exit is counted from when the destruction returns.
  DestroyWindow(parent);
  const DWORD destroyed = GetTickCount();
  if (!ended && !WaitForProcess(process.hProcess, 10000)) {
    Report("no_exit after_destroy");
    EndProcess(process.hProcess);
  }
  Report("exit=%lu ms=%lu", ExitCode(process.hProcess), GetTickCount() - destroyed);
  CloseHandle(process.hProcess);
  return 0;
}

int PreviewBadHandle(const char* scr, const char* handle) {
  const long value = std::strtol(handle, nullptr, 10);
  Report("handle=%s is_window=%d", handle,
         IsWindow(reinterpret_cast<HWND>(static_cast<std::intptr_t>(value))) ? 1 : 0);
  PROCESS_INFORMATION process{};
  if (!Start(Quoted(scr) + " /p " + handle, &process)) {
    return 1;
  }
  const DWORD start = GetTickCount();
  bool window = false;
  bool ended = false;
  while (!ended && GetTickCount() - start < 20000) {
    ended = WaitForProcess(process.hProcess, kPollMs);
    window = window || FindSaverWindow(process.dwProcessId) != nullptr;
  }
  if (!ended) {
    EndProcess(process.hProcess);
  }
  Report("window=%d exit=%lu ms=%lu", window ? 1 : 0, ExitCode(process.hProcess),
         GetTickCount() - start);
  CloseHandle(process.hProcess);
  return 0;
}

int RunSaver(const char* scr, DWORD seconds) {
  // A saver that was ended by force leaves the flag set for good; this start must not inherit it.
  const int before = RunningFlag();
  if (before != 0) {
    BOOL previous = FALSE;
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, 0, &previous, 0);
  }
  Report("running=%d before, now %d", before, RunningFlag());
  PROCESS_INFORMATION process{};
  if (!Start(Quoted(scr) + " /s", &process)) {
    return 1;
  }
  const DWORD start = GetTickCount();
  Report("started screen=%d,%d", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  HWND window = nullptr;
  bool ended = false;
  bool shown = false;
  bool hidden = false;
  bool gone = false;
  int running = RunningFlag();
  while (!ended && GetTickCount() - start < seconds * 1000) {
    ended = WaitForProcess(process.hProcess, kPollMs);
    // The flag before the window: a saver that sets the flag only once its window exists is never
    // seen with the flag set and no window.
    const int flag = RunningFlag();
    if (window == nullptr) {
      window = FindSaverWindow(process.dwProcessId);
    }
    if (flag != running) {
      running = flag;
      Report("running=%d ms=%lu window=%d", running, GetTickCount() - start,
             window != nullptr && IsWindow(window) ? 1 : 0);
    }
    if (window == nullptr) {
      continue;
    }
    // The window is reported once it is on screen: found during its creation, it may not be yet.
    if (!shown && IsWindowVisible(window)) {
      shown = true;
      Report("window_shown ms=%lu", GetTickCount() - start);
      ReportWindow("window", window, nullptr);
      Report("ready");
    }
    if (shown && !hidden && !IsWindowVisible(window)) {
      hidden = true;
      Report("window_hidden ms=%lu", GetTickCount() - start);
    }
    if (!gone && !IsWindow(window)) {
      gone = true;
      Report("window_gone ms=%lu", GetTickCount() - start);
    }
  }
  if (!shown) {
    Report("no_window found=%d", window != nullptr ? 1 : 0);
  }
  if (!ended) {
    Report("still_running ms=%lu", GetTickCount() - start);
    EndProcess(process.hProcess);
  }
  Report("exit=%lu ms=%lu", ExitCode(process.hProcess), GetTickCount() - start);
  Report("running=%d after", RunningFlag());
  CloseHandle(process.hProcess);
  return 0;
}

// Sets the flag in this process, reads it here, in the system's shared copy and in a process
// started after the change, and clears it again.
int ProbeFlag() {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, sizeof self);
  Report("wine=%d here=%d shared=%d", UnderWine() ? 1 : 0, RunningFlagHere(), RunningFlag());
  BOOL previous = FALSE;
  const BOOL set = SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, 1, &previous, 0);
  Report("set=%d previous=%d here=%d shared=%d", set ? 1 : 0, previous ? 1 : 0, RunningFlagHere(),
         RunningFlag());
  PROCESS_INFORMATION process{};
  if (Start(Quoted(self) + " flag-here", &process)) {
    WaitForSingleObject(process.hProcess, 30000);
    Report("later_process=%ld", static_cast<long>(ExitCode(process.hProcess)));
    CloseHandle(process.hProcess);
  }
  SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, 0, &previous, 0);
  Report("cleared here=%d shared=%d", RunningFlagHere(), RunningFlag());
  return 0;
}

int Usage() {
  std::fprintf(stderr,
               "usage: saver_driver preview SCR SECONDS | preview-bad SCR HANDLE | "
               "run SCR SECONDS | flag\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    return Usage();
  }
  const char* command = argv[1];
  if (argc == 4 && std::strcmp(command, "preview") == 0) {
    return Preview(argv[2], static_cast<DWORD>(std::atoi(argv[3])));
  }
  if (argc == 4 && std::strcmp(command, "preview-bad") == 0) {
    return PreviewBadHandle(argv[2], argv[3]);
  }
  if (argc == 4 && std::strcmp(command, "run") == 0) {
    return RunSaver(argv[2], static_cast<DWORD>(std::atoi(argv[3])));
  }
  if (argc == 2 && std::strcmp(command, "flag") == 0) {
    return ProbeFlag();
  }
  if (argc == 2 && std::strcmp(command, "flag-here") == 0) {
    return RunningFlagHere();
  }
  return Usage();
}
