// The Wine tests' program: starts the saver as Windows does, or runs the saver's own code against
// the real system, and reports what it sees, one fact a line. Commands: crash; load; save ROTATE P0
// P1 P2 P3; library NAME (through the saver's loader); bare NAME; play [SLOT VOLUME PAN]... (the
// sample bank through DirectSound); resources SCR SAMPLES_DIR; preview SCR SECONDS [HANDLE]; run
// SCR SECONDS ("ready" once the window shows); dialog SCR ARGUMENTS [click ID | show | ok | cancel
// | esc | enter | close]... ("HWND" in ARGUMENTS: a window of this program; "-": none).
#include <windows.h>

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/library_loader.h"
#include "base/little_endian.h"
#include "base/program_resources.h"
#include "base/settings_store.h"
#include "core/sample_bank.h"
#include "core/saver_context.h"
#include "windows/direct_sound.h"

namespace {

void Say(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::vprintf(format, arguments);
  va_end(arguments);
  std::printf("\n");
  std::fflush(stdout);  // read while the saver still runs
}

// Lets up to `ms` pass, handling this thread's messages (its windows take part in the saver's),
// until `process` ends; true once it has.
bool Wait(HANDLE process, DWORD ms) {
  const DWORD until = GetTickCount() + ms;
  for (LONG left = ms; left >= 0; left = static_cast<LONG>(until - GetTickCount())) {
    if (MsgWaitForMultipleObjects(process ? 1 : 0, &process, FALSE, left, QS_ALLINPUT) ==
            WAIT_OBJECT_0 &&
        process) {
      return true;
    }
    for (MSG message; PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);)
      DispatchMessageA(&message);
  }
  return process && WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
}

HANDLE Start(std::string line, DWORD* id) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    std::exit((Say("cannot start %s: error %lu", line.c_str(), GetLastError()), 1));
  }
  CloseHandle(process.hThread);
  *id = process.dwProcessId;
  return process.hProcess;
}

// The exit code once the process ends within `ms`; otherwise it is ended, with code 124.
unsigned long Finish(HANDLE process, DWORD ms) {
  if (!Wait(process, ms))
    TerminateProcess(process, 124), WaitForSingleObject(process, 5000);
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  return code;
}

// A plain window of this program's: the preview's parent, the dialog's owner, DirectSound's window.
HWND MakeWindow(DWORD style, int x, int y, int width, int height) {
  return CreateWindowExA(0, "STATIC", "driver", style, x, y, width, height, nullptr, nullptr,
                         nullptr, nullptr);
}

// The first top-level window of `process` of that class.
HWND FindTop(DWORD process, const char* className) {
  DWORD owner = 0;
  HWND window = nullptr;
  while ((window = FindWindowExA(nullptr, window, className, nullptr)) &&
         (GetWindowThreadProcessId(window, &owner), owner != process)) {
  }
  return window;
}

// Class, style, rectangle in `origin`'s client area (dialog units for base units `unit`), text. A
// picture gives its bitmap's size in pixels, which shows that the bitmap was loaded.
std::string Describe(HWND window, HWND origin, RECT unit = {0, 0, 4, 8}) {
  char className[64] = "", name[512] = "", text[128];
  GetClassNameA(window, className, sizeof className);
  GetWindowTextA(window, name, sizeof name);
  const LONG style = GetWindowLongA(window, GWL_STYLE);
  RECT r{};
  GetWindowRect(window, &r);
  MapWindowPoints(HWND_DESKTOP, origin, reinterpret_cast<POINT*>(&r), 2);
  if (lstrcmpiA(className, "Static") == 0 && (style & SS_TYPEMASK) == SS_BITMAP) {
    std::snprintf(name, sizeof name, "bitmap=%ldx%ld", r.right - r.left, r.bottom - r.top);
    r.right = r.left, r.bottom = r.top;
  }
  std::snprintf(text, sizeof text, "class=%s style=0x%08lx rect=%d,%d,%d,%d name=", className,
                static_cast<unsigned long>(style), MulDiv(r.left, 4, unit.right),
                MulDiv(r.top, 8, unit.bottom), MulDiv(r.right - r.left, 4, unit.right),
                MulDiv(r.bottom - r.top, 8, unit.bottom));
  std::string line = text;
  for (const char* c = name; *c; ++c)
    line += *c == '\n' ? "\\n" : std::string(1, *c);
  return line;
}

// The screen-saver-running flag as the system holds it for all processes: Wine keeps a copy per
// process and shares a change only through this volatile registry value.
int RunningFlag() {
  char value[16] = "";
  DWORD size = sizeof value - 1;
  return RegGetValueA(HKEY_CURRENT_USER,
                      "Software\\Wine\\Temporary System Parameters\\Control Panel\\Desktop",
                      "WINE_ScreenSaverRunning", RRF_RT_REG_SZ, nullptr, value,
                      &size) == ERROR_SUCCESS
             ? std::atoi(value)
             : 0;
}

// The parent is 152 x 112, as the monitor picture of the system's screen-saver page, and clips its
// child; it is destroyed after SECONDS.
int Preview(const std::string& scr, DWORD seconds, const char* handle) {
  HWND parent = handle ? reinterpret_cast<HWND>(std::strtoull(handle, nullptr, 10))
                       : MakeWindow(WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 200, 150, 152, 112);
  DWORD id = 0;
  HANDLE process =
      Start(scr + " /p " + std::to_string(reinterpret_cast<std::uintptr_t>(parent)), &id);
  HWND child = nullptr;
  bool ended = false, toplevel = false;
  int flag = 0, children = 0;
  const auto watch = [&] {
    ended = Wait(process, 10);
    flag = std::max(flag, RunningFlag());
    toplevel = toplevel || FindTop(id, "OpenGL");
  };
  for (DWORD start = GetTickCount();
       !ended && !(child && IsWindowVisible(child)) && GetTickCount() - start < 15000;) {
    watch();
    child = FindWindowExA(parent, nullptr, "OpenGL", nullptr);
  }
  for (HWND c = nullptr; (c = FindWindowExA(parent, c, nullptr, nullptr)) != nullptr;)
    ++children;
  Say("child %s children=%d", child ? Describe(child, parent).c_str() : "none", children);
  for (DWORD start = GetTickCount(); !ended && GetTickCount() - start < seconds * 1000;)
    watch();
  Say("parent=%d toplevel=%d alive=%d flag=%d", IsWindow(parent), toplevel,
      !ended && IsWindow(child), flag);
  DestroyWindow(parent);
  Say("exit=%lu", Finish(process, 10000));
  return 0;
}

int Run(const std::string& scr, DWORD seconds) {
  BOOL previous = FALSE;  // a saver ended by force leaves the flag set: this one must not see it
  if (RunningFlag())
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, 0, &previous, 0);
  DWORD id = 0;
  HANDLE process = Start(scr + " /s", &id);
  HWND window = nullptr;
  bool ended = false, shown = false, hidden = false;
  int flag = RunningFlag();
  for (DWORD start = GetTickCount(); !ended && GetTickCount() - start < seconds * 1000;) {
    ended = Wait(process, 10);
    const int now = RunningFlag();  // before the window: a flag set before it would be seen
    if (!window)
      window = FindTop(id, "OpenGL");
    if (now != flag)
      Say("flag=%d window=%d", flag = now, window && IsWindow(window));
    if (window && !shown && IsWindowVisible(window)) {
      Say("window %s screen=%d,%d", Describe(window, nullptr).c_str(),
          GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
      Say("ready"), shown = true;
    }
    if (shown && !hidden && !IsWindowVisible(window))
      Say("hidden"), hidden = true;
  }
  Say("exit=%lu flag=%d", Finish(process, 0), RunningFlag());
  return 0;
}

void PrintChecked(HWND dialog) {
  std::printf("checked");
  for (HWND c = nullptr; (c = FindWindowExA(dialog, c, "Button", nullptr)) != nullptr;) {
    DWORD_PTR state = 0;  // BM_GETCHECK crosses processes as it is
    SendMessageTimeoutA(c, BM_GETCHECK, 0, 0, SMTO_NORMAL, 5000, &state);
    if (state == BST_CHECKED)
      std::printf(" %d", GetDlgCtrlID(c));
  }
  Say("");
}

int Dialog(const char* scr, std::string arguments, char** actions) {
  // The base units: those of the same template shown in this process.
  HWND copy = CreateDialogParamA(
      LoadLibraryExA(scr, nullptr, LOAD_LIBRARY_AS_DATAFILE), MAKEINTRESOURCEA(104), nullptr,
      [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
  RECT unit{0, 0, 4, 8};
  MapDialogRect(copy, &unit);
  HWND owner = MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 400, 300);
  SetForegroundWindow(owner);
  Wait(nullptr, 0);
  const bool foreground = GetForegroundWindow() == owner;
  if (arguments.find("HWND") != std::string::npos) {
    arguments.replace(arguments.find("HWND"), 4,
                      std::to_string(reinterpret_cast<std::uintptr_t>(owner)));
  }
  DWORD id = 0;
  HANDLE process =
      Start("\"" + std::string(scr) + "\"" + (arguments == "-" ? "" : " " + arguments), &id);
  HWND dialog = nullptr;
  for (DWORD start = GetTickCount(); !dialog && GetTickCount() - start < 20000;) {
    if (Wait(process, 50))
      break;
    dialog = FindTop(id, "#32770");
    if (dialog && !IsWindowVisible(dialog))
      dialog = nullptr;
  }
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  DWORD_PTR ignored = 0;
  bool done = dialog != nullptr;
  if (done) {
    // Once a message goes through, the dialog's modal loop runs.
    SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
    char caption[128] = "";
    GetWindowTextA(dialog, caption, sizeof caption);
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
    HWND ownedBy = GetWindow(dialog, GW_OWNER);
    Say("open foreground=%d owner=%s owner_enabled=%d focus=%d caption=%s", foreground,
        ownedBy == owner ? "driver"
        : ownedBy        ? "other"
                         : "none",
        IsWindowEnabled(owner),
        info.hwndActive == dialog && IsChild(dialog, info.hwndFocus) ? GetDlgCtrlID(info.hwndFocus)
                                                                     : 0,
        caption);
    for (HWND c = nullptr; (c = FindWindowExA(dialog, c, nullptr, nullptr)) != nullptr;) {
      Say("control %d %s", GetDlgCtrlID(c), Describe(c, dialog, unit).c_str());
    }
    PrintChecked(dialog);
  }
  for (; done && *actions; ++actions) {
    const std::string a = *actions;
    // A key goes to the control with the focus, through the dialog's message loop, as typed.
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
    HWND focus = info.hwndFocus ? info.hwndFocus : dialog;
    const WPARAM key = a == "esc" ? VK_ESCAPE : VK_RETURN;
    const LPARAM scan = MapVirtualKeyA(static_cast<UINT>(key), MAPVK_VK_TO_VSC) << 16;
    HWND button = GetDlgItem(dialog, a == "click" && actions[1] ? std::atoi(*++actions)
                                     : a == "ok"                ? IDOK
                                                                : IDCANCEL);
    if (a == "show")
      PrintChecked(dialog);
    else if (a == "esc" || a == "enter") {
      done = PostMessageA(focus, WM_KEYDOWN, key, 1 | scan) &&
             PostMessageA(focus, WM_KEYUP, key, 1 | scan | 3u << 30);
    } else if (a == "close")
      done = PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    else
      done = (a == "click" || a == "ok" || a == "cancel") && button &&
             SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_NORMAL, 5000, &ignored);
    if (!done)
      Say("failed at %s", a.c_str());
  }
  // The owner goes with this process: destroyed first, it costs Wine a 2 s wait for a window
  // manager. It is enabled again through its own queue.
  const unsigned long code = Finish(process, 15000);
  Wait(nullptr, 100);
  Say("end exit=%lu owner_enabled=%d", code, IsWindowEnabled(owner));
  return done ? 0 : 1;
}

template <typename T>
const T* Resource(HMODULE module, const char* type, int id, DWORD* size) {
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), type);
  *size = found ? SizeofResource(module, found) : 0;
  return found ? static_cast<const T*>(LockResource(LoadResource(module, found))) : nullptr;
}

int Resources(const char* scr, const char* samples) {
  HMODULE m =
      LoadLibraryExA(scr, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  DWORD size = 0;
  const auto* dialog = Resource<WORD>(m, RT_DIALOG, 104, &size);
  if (!dialog)
    return Say("no dialog"), 1;
  // DLGTEMPLATEEX up to the font, with no menu and the standard class: one word each.
  std::string caption, font;
  for (const WORD* c = dialog + 15; *c; ++c)
    caption += static_cast<char>(*c);
  const WORD* f = dialog + 16 + caption.size();
  for (const WORD* c = f + 3; *c; ++c)
    font += static_cast<char>(*c);
  const auto dword = [&](int at) { return dialog[at] | static_cast<DWORD>(dialog[at + 1]) << 16; };
  Say("dialog ver=%u signature=0x%x help=%lu ex=0x%lx style=0x%lx items=%u rect=%d,%d,%d,%d "
      "menu=%u class=%u caption=%s font=%u,%u,%u,%u,%s",
      dialog[0], dialog[1], dword(2), dword(4), dword(6), dialog[8], static_cast<short>(dialog[9]),
      static_cast<short>(dialog[10]), static_cast<short>(dialog[11]),
      static_cast<short>(dialog[12]), dialog[13], dialog[14], caption.c_str(), f[0], f[1],
      f[2] & 0xff, f[2] >> 8, font.c_str());
  if (const auto* bitmap = Resource<BITMAPINFOHEADER>(m, RT_BITMAP, 159, &size)) {
    Say("bitmap %ldx%ld planes=%u bits=%u compression=%lu bytes=%lu", bitmap->biWidth,
        bitmap->biHeight, bitmap->biPlanes, bitmap->biBitCount, bitmap->biCompression, size);
  }
  const auto* group = Resource<BYTE>(m, RT_GROUP_ICON, 1, &size);
  for (int i = 0; group && i < group[4]; ++i) {  // 14-byte entries after a 6-byte header
    const BYTE* e = group + 6 + 14 * i;
    const auto* icon = Resource<BITMAPINFOHEADER>(m, RT_ICON, Get16(e + 12), &size);
    Say("icon %ux%u colours=%u planes=%u bits=%u image=%ldx%ld,%u same_size=%d", e[0], e[1], e[2],
        e[4], e[6], icon ? icon->biWidth : 0, icon ? icon->biHeight : 0,
        icon ? icon->biBitCount : 0, size == Get32(e + 8));
  }
  char text[64] = "";
  LoadStringA(m, 1, text, sizeof text);
  Say("string1=%s", text);
  std::printf("waves");  // an id negative where the bytes differ from the sample file of its slot
  for (int id = 1, slot = 0; id < 1000; ++id) {
    if (const char* wave = Resource<char>(m, "WAVE", id, &size)) {
      std::snprintf(text, sizeof text, "\\slot%02d.wav", slot++);
      std::ifstream in(samples + std::string(text), std::ios::binary);
      const std::string file(std::istreambuf_iterator<char>(in), {});
      std::printf(" %d", file == std::string(wave, size) ? id : -id);
    }
  }
  Say("");
  std::vector<char> version(GetFileVersionInfoSizeA(scr, nullptr) + 1);
  GetFileVersionInfoA(scr, 0, version.size(), version.data());
  std::printf("version");
  for (std::string name :
       {"FileVersion", "FileDescription", "OriginalFilename", "LegalCopyright", "ProductName"}) {
    char* value = nullptr;
    UINT length = 0;
    VerQueryValueA(version.data(), ("\\StringFileInfo\\040904E4\\" + name).c_str(),
                   reinterpret_cast<void**>(&value), &length);
    std::printf(" %s=%s", name.c_str(), value ? value : "");
  }
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (VerQueryValueA(version.data(), "\\", reinterpret_cast<void**>(&fixed), &length)) {
    std::printf(" fixed=%lu.%lu.%lu.%lu", fixed->dwFileVersionMS >> 16,
                fixed->dwFileVersionMS & 0xffff, fixed->dwFileVersionLS >> 16,
                fixed->dwFileVersionLS & 0xffff);
  }
  return Say(""), 0;
}

// DirectSound's cooperative level wants a window: a hidden one stands in for the saver's. Each play
// gets the sample's length and 0.7 s more to itself (1.5 s at least), so that no two overlap.
int Play(int count, char** triples) {
  VoiceBank bank;
  bank.device.system = &PlatformSoundSystem();
  bank.device.clock = &PlatformClock();
  bank.device.resources = &PlatformResources();
  timeBeginPeriod(1);
  const DWORD loadStart = timeGetTime();
  LoadSampleBank(bank,
                 reinterpret_cast<WindowHandle>(MakeWindow(WS_OVERLAPPEDWINDOW, 0, 0, 99, 99)));
  const DWORD first = timeGetTime();
  DWORD at = 0;
  for (const SampleVoice& voice : bank.voices)
    at += voice.voiceBuffer != nullptr;
  Say("load_ms=%lu loaded=%lu", first - loadStart, at);
  at = 0;
  const auto until = [&] { Wait(nullptr, std::max<LONG>(0, at - (timeGetTime() - first))); };
  for (int i = 0; i + 2 < count; i += 3) {
    const int slot = std::atoi(triples[i]) % kSampleSlots;
    until();
    Say("play slot=%d start_ms=%lu", slot, timeGetTime() - first);
    bank[slot].Play(std::atoi(triples[i + 1]), std::atoi(triples[i + 2]), 0, false);
    at += std::max<DWORD>(1500, bank[slot].sampleBytes * 1000ull / (4 * 44100) + 700);
  }
  until();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  const std::string scr = argc > 2 ? "\"" + std::string(argv[2]) + "\"" : "";
  volatile int* nowhere = nullptr;
  if (command == "crash")
    *nowhere = 1;
  if (command == "load" || (command == "save" && argc == 7)) {
    SaverContext context;
    context.LoadSystemSettings(PlatformSettingsStore());
    context.LoadSettings(PlatformSettingsStore());
    if (command == "save") {
      context.useMouse = std::atoi(argv[2]);
      for (int i = 0; i < 4; ++i)
        context.params[i] = std::atoi(argv[3 + i]);
      context.SaveSettings(PlatformSettingsStore());
    }
    std::printf("passwordDelay=%d mouseThreshold=%d useMouse=%d params", context.passwordDelay,
                context.mouseThreshold, context.useMouse);
    for (int i = 0; i < kParamCount; ++i)
      std::printf(" %d", context.params[i]);
    return Say(""), 0;
  }
  if ((command == "library" || command == "bare") && argc == 3) {
    void* library =
        command == "bare" ? LoadLibraryA(argv[2]) : PlatformLibraryLoader().Load(argv[2]);
    return Say(library ? "loaded" : "missing"), 0;
  }
  if (command == "play")
    return Play(argc - 2, argv + 2);
  if (command == "resources" && argc == 4)
    return Resources(argv[2], argv[3]);
  if (command == "preview" && argc >= 4)
    return Preview(scr, std::atoi(argv[3]), argv[4]);
  if (command == "run" && argc == 4)
    return Run(scr, std::atoi(argv[3]));
  if (command == "dialog" && argc >= 4)
    return Dialog(argv[2], argv[3], argv + 4);
  std::fprintf(stderr, "usage: driver COMMAND ... (see driver_win32.cpp)\n");
  return 2;
}
