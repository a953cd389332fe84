// A console program for the Wine tests that drives the saver's settings dialog as the system's
// screen-saver settings do: it owns a window, starts the saver on it and clicks the buttons.
//   dialog_driver SAVER ARGUMENTS [ACTION...]
// ARGUMENTS is the saver's command line after its name, with HWND standing for the driver's window
// ("/c:HWND", "/c HWND", "/c"), or "-" for none. The driver prints "foreground=driver|other",
// "dialog ...", "dialog_rect=L,T,R,B" (screen pixels), "owner=driver|none|other",
// "owner_enabled=0|1", "active=dialog|other focus=ID", one "control ID CLASS TEXT [checked=N]"
// line per child window in order, then runs the actions:
//   click ID   a click on a button (BM_CLICK: the dialog's own radio and check box logic runs)
//   show       print "state ID checked=N" for every radio and check box
//   ok         click OK            cancel   click Cancel
//   esc        press Escape        enter    press Enter
//   close      the caption's close box
//   wait MS    leave the dialog alone for MS milliseconds (for a screenshot)
// and prints "exit=N" (or "exit=timeout") and "owner_enabled=0|1" once the saver has ended.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr char kDialogClass[] = "#32770";
constexpr DWORD kDialogWaitMs = 20000;
constexpr DWORD kExitWaitMs = 15000;
constexpr UINT kSendTimeoutMs = 5000;

HWND ownerWindow = nullptr;

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateOwnerWindow() {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = OwnerProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = "OstinelDialogDriver";
  RegisterClassA(&windowClass);
  HWND window =
      CreateWindowExA(0, windowClass.lpszClassName, "Screen saver settings", WS_OVERLAPPEDWINDOW,
                      40, 40, 400, 300, nullptr, nullptr, windowClass.hInstance, nullptr);
  if (window != nullptr) {
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
  }
  return window;
}

// The saver's dialog sends to the owner window (enabling and disabling it, activation): the driver
// keeps its queue moving whenever it waits.
void PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

// Waits for the process to end, pumping messages; false on timeout.
bool WaitForProcess(HANDLE process, DWORD milliseconds) {
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= milliseconds) {
      return WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    }
    const DWORD result =
        MsgWaitForMultipleObjects(1, &process, FALSE, milliseconds - elapsed, QS_ALLINPUT);
    if (result == WAIT_OBJECT_0) {
      return true;
    }
    PumpMessages();
  }
}

// Lets time pass with the owner window's queue moving.
void Pause(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  for (DWORD elapsed = 0; elapsed < milliseconds; elapsed = GetTickCount() - start) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - elapsed, QS_ALLINPUT);
    PumpMessages();
  }
}

struct DialogSearch {
  DWORD processId;
  HWND dialog;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<DialogSearch*>(parameter);
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  char className[64] = "";
  GetClassNameA(window, className, sizeof className);
  if (processId == search->processId && std::strcmp(className, kDialogClass) == 0 &&
      IsWindowVisible(window)) {
    search->dialog = window;
    return FALSE;
  }
  return TRUE;
}

// The saver's visible top-level dialog, once it is up and answering messages; null if none came.
HWND WaitForDialog(HANDLE process, DWORD processId) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < kDialogWaitMs) {
    DialogSearch search{processId, nullptr};
    EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
    if (search.dialog != nullptr) {
      // The dialog is shown from its modal loop: once a message goes through, the loop is running.
      DWORD_PTR ignored = 0;
      SendMessageTimeoutA(search.dialog, WM_NULL, 0, 0, SMTO_NORMAL, kSendTimeoutMs, &ignored);
      return search.dialog;
    }
    if (WaitForProcess(process, 50)) {
      return nullptr;
    }
  }
  return nullptr;
}

std::string Quoted(const char* text) {
  std::string out = "\"";
  for (const char* p = text; *p != '\0'; ++p) {
    switch (*p) {
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      default:
        if (static_cast<unsigned char>(*p) < 0x20 || static_cast<unsigned char>(*p) >= 0x7f) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned char>(*p));
          out += escaped;
        } else {
          out += *p;
        }
    }
  }
  return out + "\"";
}

bool IsCheckable(HWND control) {
  char className[64] = "";
  GetClassNameA(control, className, sizeof className);
  if (lstrcmpiA(className, "Button") != 0) {
    return false;
  }
  switch (GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
      return true;
    default:
      return false;
  }
}

// BM_GETCHECK is one of the messages the system carries between processes as it is.
LRESULT CheckState(HWND control) {
  DWORD_PTR state = 0;
  SendMessageTimeoutA(control, BM_GETCHECK, 0, 0, SMTO_NORMAL, kSendTimeoutMs, &state);
  return static_cast<LRESULT>(state);
}

BOOL CALLBACK PrintControl(HWND control, LPARAM) {
  char className[64] = "";
  char text[512] = "";
  GetClassNameA(control, className, sizeof className);
  GetWindowTextA(control, text, sizeof text);
  std::printf("control %d %s", GetDlgCtrlID(control), className);
  // A picture's text is the ordinal of its bitmap, not words: its size says that it was loaded,
  // since the control takes the bitmap's own size.
  if (lstrcmpiA(className, "Static") == 0 &&
      (GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP) {
    RECT rect;
    GetWindowRect(control, &rect);
    std::printf(" bitmap=%ldx%ld", rect.right - rect.left, rect.bottom - rect.top);
  } else {
    std::printf(" %s", Quoted(text).c_str());
  }
  if (IsCheckable(control)) {
    std::printf(" checked=%d", static_cast<int>(CheckState(control)));
  }
  std::printf("\n");
  return TRUE;
}

BOOL CALLBACK PrintCheckState(HWND control, LPARAM) {
  if (IsCheckable(control)) {
    std::printf("state %d checked=%d\n", GetDlgCtrlID(control),
                static_cast<int>(CheckState(control)));
  }
  return TRUE;
}

const char* OwnerName(HWND owner) {
  if (owner == nullptr) {
    return "none";
  }
  return owner == ownerWindow ? "driver" : "other";
}

void PrintDialog(HWND dialog) {
  char className[64] = "";
  char caption[256] = "";
  GetClassNameA(dialog, className, sizeof className);
  GetWindowTextA(dialog, caption, sizeof caption);
  std::printf("dialog class=%s caption=%s\n", className, Quoted(caption).c_str());
  RECT rect;
  GetWindowRect(dialog, &rect);
  std::printf("dialog_rect=%ld,%ld,%ld,%ld\n", rect.left, rect.top, rect.right, rect.bottom);
  std::printf("owner=%s\n", OwnerName(GetWindow(dialog, GW_OWNER)));
  std::printf("owner_enabled=%d\n", IsWindowEnabled(ownerWindow) ? 1 : 0);
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info)) {
    std::printf("active=%s focus=%d\n", info.hwndActive == dialog ? "dialog" : "other",
                info.hwndFocus != nullptr && IsChild(dialog, info.hwndFocus)
                    ? GetDlgCtrlID(info.hwndFocus)
                    : 0);
  }
  EnumChildWindows(dialog, PrintControl, 0);
}

bool Click(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  if (control == nullptr) {
    std::printf("no control %d\n", id);
    return false;
  }
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutA(control, BM_CLICK, 0, 0, SMTO_NORMAL, kSendTimeoutMs, &ignored) != 0;
}

// A key goes to the control with the focus, through the dialog's message loop, as typed keys do.
bool PressKey(HWND dialog, WPARAM key) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  HWND target = dialog;
  if (GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info) &&
      info.hwndFocus != nullptr) {
    target = info.hwndFocus;
  }
  const UINT scanCode = MapVirtualKeyA(static_cast<UINT>(key), MAPVK_VK_TO_VSC);
  return PostMessageA(target, WM_KEYDOWN, key, 1 | scanCode << 16) &&
         PostMessageA(target, WM_KEYUP, key, 1 | scanCode << 16 | 3u << 30);
}

// Runs the actions from argv[first] on; false on a bad action or a control that would not answer.
bool RunActions(HWND dialog, int argc, char** argv, int first) {
  for (int i = first; i < argc; ++i) {
    const char* action = argv[i];
    bool done = false;
    if (std::strcmp(action, "click") == 0 && i + 1 < argc) {
      done = Click(dialog, std::atoi(argv[++i]));
    } else if (std::strcmp(action, "wait") == 0 && i + 1 < argc) {
      Pause(static_cast<DWORD>(std::atoi(argv[++i])));
      done = true;
    } else if (std::strcmp(action, "show") == 0) {
      EnumChildWindows(dialog, PrintCheckState, 0);
      done = true;
    } else if (std::strcmp(action, "ok") == 0) {
      done = Click(dialog, IDOK);
    } else if (std::strcmp(action, "cancel") == 0) {
      done = Click(dialog, IDCANCEL);
    } else if (std::strcmp(action, "esc") == 0) {
      done = PressKey(dialog, VK_ESCAPE);
    } else if (std::strcmp(action, "enter") == 0) {
      done = PressKey(dialog, VK_RETURN);
    } else if (std::strcmp(action, "close") == 0) {
      done = PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0) != 0;
    } else {
      std::printf("unknown action %s\n", action);
      return false;
    }
    if (!done) {
      std::printf("action %s failed\n", action);
      return false;
    }
    std::fflush(stdout);
  }
  return true;
}

std::string SaverCommandLine(const char* saver, const char* arguments) {
  std::string line = std::string("\"") + saver + "\"";
  if (std::strcmp(arguments, "-") == 0) {
    return line;
  }
  std::string rest = arguments;
  const std::string::size_type at = rest.find("HWND");
  if (at != std::string::npos) {
    rest.replace(at, 4, std::to_string(reinterpret_cast<UINT_PTR>(ownerWindow)));
  }
  return line + " " + rest;
}

int Usage() {
  std::fprintf(stderr,
               "usage: dialog_driver SAVER ARGUMENTS|- [click ID | show | ok | cancel | esc | "
               "enter | close | wait MS]...\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    return Usage();
  }
  ownerWindow = CreateOwnerWindow();
  if (ownerWindow == nullptr) {
    std::printf("no owner window\n");
    return 1;
  }
  PumpMessages();
  std::printf("foreground=%s\n", GetForegroundWindow() == ownerWindow ? "driver" : "other");

  std::string commandLine = SaverCommandLine(argv[1], argv[2]);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    std::printf("cannot start %s: error %lu\n", commandLine.c_str(), GetLastError());
    return 1;
  }
  CloseHandle(process.hThread);

  int status = 0;
  HWND dialog = WaitForDialog(process.hProcess, process.dwProcessId);
  if (dialog == nullptr) {
    std::printf("no dialog\n");
    status = 1;
  } else {
    PrintDialog(dialog);
    std::fflush(stdout);
    if (!RunActions(dialog, argc, argv, 3)) {
      status = 1;
    }
  }

  if (WaitForProcess(process.hProcess, kExitWaitMs)) {
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    std::printf("exit=%lu\n", exitCode);
  } else {
    std::printf("exit=timeout\n");
    TerminateProcess(process.hProcess, 1);
    status = 1;
  }
  PumpMessages();
  std::printf("owner_enabled=%d\n", IsWindowEnabled(ownerWindow) ? 1 : 0);
  CloseHandle(process.hProcess);
  // The owner window goes with the process: destroying it first costs Wine's X11 driver a
  // two-second wait for a window manager that Xvfb does not have.
  return status;
}
