// The Wine tests' Windows program: starts the saver as Windows does, or runs the saver's own code
// against the real system, and reports what it sees, one fact a line.
//   crash                               crashes at once
//   load | save ROTATE P0 P1 P2 P3      the settings as the saver loads them (after saving these)
//   library NAME | bare NAME            a library loaded through the saver's loader, or by bare name
//   device | play [SLOT VOLUME PAN]...  DirectSound's device; the sample bank played on a schedule
//   resources SCR SAMPLES_DIR           SCR's resources through the Windows loader
//   preview SCR SECONDS [HANDLE]        SCR /p in a window of this program, or in HANDLE
//   run SCR SECONDS                     SCR /s watched until it ends; "ready" once its window shows
//   dialog SCR ARGUMENTS [ACTION]...    SCR's settings dialog ("HWND" in ARGUMENTS: this program's
//                                       window; "-": no arguments), then click ID, show (the
//                                       buttons checked), ok, cancel, esc, enter or close
#include <windows.h>

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/clock.h"
#include "app/library_loader.h"
#include "app/saver_context.h"
#include "app/settings_store.h"
#include "audio/direct_sound_win32.h"
#include "audio/program_resources.h"
#include "engine/sample_bank.h"

namespace {

void Say(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::vprintf(format, arguments);
  va_end(arguments);
  std::printf("\n");
  std::fflush(stdout);  // read while the saver still runs
}

void SayList(std::string line, std::vector<int> numbers) {
  for (int n : numbers) line += " " + std::to_string(n);
  Say("%s", line.c_str());
}

// Lets up to `ms` pass, handling this thread's messages (its windows take part in the saver's),
// until `process` ends; true once it has.
bool Wait(HANDLE process, DWORD ms) {
  const DWORD until = GetTickCount() + ms;
  for (LONG left = ms; left >= 0; left = static_cast<LONG>(until - GetTickCount())) {
    if (MsgWaitForMultipleObjects(process ? 1 : 0, &process, FALSE, left, QS_ALLINPUT) ==
            WAIT_OBJECT_0 && process) {
      return true;
    }
    for (MSG message; PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);) DispatchMessageA(&message);
  }
  return process && WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
}

HANDLE Start(std::string line, DWORD* id) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    Say("cannot start %s: error %lu", line.c_str(), GetLastError());
    std::exit(1);
  }
  CloseHandle(process.hThread);
  *id = process.dwProcessId;
  return process.hProcess;
}

// The exit code once the process ends within `ms`; otherwise it is ended, with code 124.
unsigned long Finish(HANDLE process, DWORD ms) {
  if (!Wait(process, ms)) TerminateProcess(process, 124), WaitForSingleObject(process, 5000);
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  return code;
}

HWND MakeWindow(DWORD style, int x, int y, int width, int height) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hbrBackground = CreateSolidBrush(RGB(0, 0, 255));
  windowClass.lpszClassName = "OstinelDriver";
  RegisterClassA(&windowClass);
  return CreateWindowExA(0, "OstinelDriver", "driver", style, x, y, width, height, nullptr, nullptr,
                         windowClass.hInstance, nullptr);
}

std::string Handle(HWND window) {  // as a window handle goes on a command line
  return std::to_string(static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(window)));
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

// Class, name, style and rectangle (left, top, width, height in `origin`'s client area).
std::string Describe(HWND window, HWND origin) {
  char className[64] = "", name[64] = "", text[256];
  GetClassNameA(window, className, sizeof className);
  GetWindowTextA(window, name, sizeof name);
  RECT r{};
  GetWindowRect(window, &r);
  MapWindowPoints(HWND_DESKTOP, origin, reinterpret_cast<POINT*>(&r), 2);
  std::snprintf(text, sizeof text, "class=%s name=%s style=0x%08lx rect=%ld,%ld,%ld,%ld", className,
                name, static_cast<unsigned long>(GetWindowLongA(window, GWL_STYLE)), r.left, r.top,
                r.right - r.left, r.bottom - r.top);
  return text;
}

// The screen-saver-running flag as the system holds it for all processes. Wine keeps a copy per
// process and shares a change only through this volatile registry value.
int RunningFlag() {
  char value[16] = "";
  DWORD size = sizeof value - 1;
  return RegGetValueA(HKEY_CURRENT_USER,
                      "Software\\Wine\\Temporary System Parameters\\Control Panel\\Desktop",
                      "WINE_ScreenSaverRunning", RRF_RT_REG_SZ, nullptr, value,
                      &size) == ERROR_SUCCESS ? std::atoi(value) : 0;
}

// The parent is 152 x 112, as the monitor picture of the system's screen-saver page, and clips its
// child; it is destroyed after SECONDS.
int Preview(const std::string& scr, DWORD seconds, const char* handle) {
  HWND parent = handle ? reinterpret_cast<HWND>(std::strtoull(handle, nullptr, 10))
                       : MakeWindow(WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 200, 150, 152, 112);
  DWORD id = 0;
  HANDLE process = Start(scr + " /p " + Handle(parent), &id);
  HWND child = nullptr;
  bool ended = false, toplevel = false;
  int flag = 0, children = 0;
  const auto watch = [&] {
    ended = Wait(process, 10);
    flag = std::max(flag, RunningFlag());
    toplevel = toplevel || FindTop(id, "OpenGL");
  };
  for (DWORD start = GetTickCount(); !ended && !(child && IsWindowVisible(child)) &&
                                     GetTickCount() - start < 15000;) {
    watch();
    child = FindWindowExA(parent, nullptr, "OpenGL", nullptr);
  }
  for (HWND c = nullptr; (c = FindWindowExA(parent, c, nullptr, nullptr)) != nullptr;) ++children;
  Say("child %s children=%d", child ? Describe(child, parent).c_str() : "none", children);
  for (DWORD start = GetTickCount(); !ended && GetTickCount() - start < seconds * 1000;) watch();
  Say("parent=%d toplevel=%d alive=%d flag=%d", IsWindow(parent), toplevel,
      !ended && IsWindow(child), flag);
  DestroyWindow(parent);
  Say("exit=%lu", Finish(process, 10000));
  return 0;
}

int Run(const std::string& scr, DWORD seconds) {
  BOOL previous = FALSE;  // a saver ended by force leaves the flag set: this one must not see it
  if (RunningFlag()) SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, 0, &previous, 0);
  DWORD id = 0;
  HANDLE process = Start(scr + " /s", &id);
  HWND window = nullptr;
  bool ended = false, shown = false, hidden = false, gone = false;
  int flag = RunningFlag();
  for (DWORD start = GetTickCount(); !ended && GetTickCount() - start < seconds * 1000;) {
    ended = Wait(process, 10);
    const int now = RunningFlag();  // before the window: a flag set before it would be seen
    if (!window) window = FindTop(id, "OpenGL");
    if (now != flag) Say("flag=%d window=%d", flag = now, window && IsWindow(window));
    if (window && !shown && IsWindowVisible(window)) {
      Say("window %s screen=%d,%d", Describe(window, nullptr).c_str(),
          GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
      Say("ready"), shown = true;
    }
    if (shown && !hidden && !IsWindowVisible(window)) Say("hidden"), hidden = true;
    if (shown && !gone && !IsWindow(window)) Say("gone"), gone = true;
  }
  Say("exit=%lu flag=%d", Finish(process, 0), RunningFlag());
  return 0;
}

int unitX = 4, unitY = 8;  // the settings dialog's base units

// Id, class, style, place and size in dialog units, and text; a picture takes its bitmap's size in
// pixels, which shows that the bitmap was loaded.
BOOL CALLBACK PrintControl(HWND control, LPARAM dialog) {
  char className[32] = "", text[512] = "", size[32];
  GetClassNameA(control, className, sizeof className);
  GetWindowTextA(control, text, sizeof text);
  RECT r{};
  GetWindowRect(control, &r);
  MapWindowPoints(HWND_DESKTOP, reinterpret_cast<HWND>(dialog), reinterpret_cast<POINT*>(&r), 2);
  const LONG style = GetWindowLongA(control, GWL_STYLE);
  const bool picture = lstrcmpiA(className, "Static") == 0 && (style & SS_TYPEMASK) == SS_BITMAP;
  const int width = r.right - r.left, height = r.bottom - r.top;
  std::snprintf(size, sizeof size, picture ? "%dx%dpx" : "%d,%d",
                picture ? width : MulDiv(width, 4, unitX), picture ? height : MulDiv(height, 8, unitY));
  std::string shown;
  for (const char* c = text; *c; ++c) shown += *c == '\n' ? std::string("\\n") : std::string(1, *c);
  Say("control %d %s 0x%08lx %d,%d,%s%s%s", GetDlgCtrlID(control), className,
      static_cast<unsigned long>(style), MulDiv(r.left, 4, unitX), MulDiv(r.top, 8, unitY), size,
      picture ? "" : " ", picture ? "" : shown.c_str());
  return TRUE;
}

void PrintChecked(HWND dialog) {
  std::vector<int> ids;
  for (HWND c = nullptr; (c = FindWindowExA(dialog, c, "Button", nullptr)) != nullptr;) {
    DWORD_PTR state = 0;  // BM_GETCHECK crosses processes as it is
    SendMessageTimeoutA(c, BM_GETCHECK, 0, 0, SMTO_NORMAL, 5000, &state);
    if (state == BST_CHECKED) ids.push_back(GetDlgCtrlID(c));
  }
  std::sort(ids.begin(), ids.end());
  SayList("checked", ids);
}

// A key goes to the control with the focus, through the dialog's message loop, as typed keys do.
bool Press(HWND dialog, HWND focus, WPARAM key) {
  const LPARAM scan = MapVirtualKeyA(static_cast<UINT>(key), MAPVK_VK_TO_VSC) << 16;
  return PostMessageA(focus ? focus : dialog, WM_KEYDOWN, key, 1 | scan) &&
         PostMessageA(focus ? focus : dialog, WM_KEYUP, key, 1 | scan | 3u << 30);
}

bool Click(HWND dialog, int id) {
  DWORD_PTR ignored = 0;
  HWND control = GetDlgItem(dialog, id);
  return control && SendMessageTimeoutA(control, BM_CLICK, 0, 0, SMTO_NORMAL, 5000, &ignored);
}

int Dialog(const char* scr, std::string arguments, char** actions) {
  // The base units: those of the same template shown in this process.
  HWND copy = CreateDialogParamA(LoadLibraryExA(scr, nullptr, LOAD_LIBRARY_AS_DATAFILE),
                                 MAKEINTRESOURCEA(104), nullptr,
                                 [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
  RECT units{0, 0, 4, 8};
  if (copy && MapDialogRect(copy, &units)) unitX = units.right, unitY = units.bottom;
  HWND owner = MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 400, 300);
  SetForegroundWindow(owner);
  Wait(nullptr, 0);
  const bool foreground = GetForegroundWindow() == owner;
  if (arguments.find("HWND") != std::string::npos) {
    arguments.replace(arguments.find("HWND"), 4, Handle(owner));
  }
  DWORD id = 0;
  HANDLE process = Start("\"" + std::string(scr) + "\"" + (arguments == "-" ? "" : " " + arguments),
                         &id);
  HWND dialog = nullptr;
  for (DWORD start = GetTickCount(); !dialog && GetTickCount() - start < 20000;) {
    if (Wait(process, 50)) break;
    dialog = FindTop(id, "#32770");
    if (dialog && !IsWindowVisible(dialog)) dialog = nullptr;
  }
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  bool done = dialog != nullptr;
  if (done) {
    DWORD_PTR ignored = 0;  // once a message goes through, the dialog's modal loop runs
    SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
    char caption[128] = "";
    GetWindowTextA(dialog, caption, sizeof caption);
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
    HWND ownedBy = GetWindow(dialog, GW_OWNER);
    Say("open foreground=%d owner=%s owner_enabled=%d focus=%d caption=%s", foreground,
        ownedBy == owner ? "driver" : ownedBy ? "other" : "none", IsWindowEnabled(owner),
        info.hwndActive == dialog && IsChild(dialog, info.hwndFocus) ? GetDlgCtrlID(info.hwndFocus)
                                                                       : 0, caption);
    EnumChildWindows(dialog, PrintControl, reinterpret_cast<LPARAM>(dialog));
    PrintChecked(dialog);
  }
  for (; done && *actions; ++actions) {
    const std::string a = *actions;
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
    if (a == "click" && actions[1]) done = Click(dialog, std::atoi(*++actions));
    else if (a == "show") PrintChecked(dialog);
    else if (a == "ok" || a == "cancel") done = Click(dialog, a == "ok" ? IDOK : IDCANCEL);
    else if (a == "esc" || a == "enter") done = Press(dialog, info.hwndFocus, a == "esc" ? VK_ESCAPE : VK_RETURN);
    else done = a == "close" && PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    if (!done) Say("failed at %s", a.c_str());
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

int Resources(const char* scr, const std::string& samples) {
  HMODULE m = LoadLibraryExA(scr, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  DWORD size = 0;
  const auto* dialog = Resource<WORD>(m, RT_DIALOG, 104, &size);
  if (!dialog) return Say("no dialog"), 1;
  // DLGTEMPLATEEX up to the font, with no menu and the standard class: one word each.
  std::string caption, font;
  for (const WORD* c = dialog + 15; *c; ++c) caption += static_cast<char>(*c);
  const WORD* f = dialog + 16 + caption.size();
  for (const WORD* c = f + 3; *c; ++c) font += static_cast<char>(*c);
  const auto dword = [&](int at) { return dialog[at] | static_cast<DWORD>(dialog[at + 1]) << 16; };
  Say("dialog ver=%u signature=0x%x help=%lu ex=0x%lx style=0x%lx items=%u rect=%d,%d,%d,%d "
      "menu=%u class=%u caption=%s font=%u,%u,%u,%u,%s", dialog[0], dialog[1], dword(2), dword(4),
      dword(6), dialog[8], static_cast<short>(dialog[9]), static_cast<short>(dialog[10]),
      static_cast<short>(dialog[11]), static_cast<short>(dialog[12]), dialog[13], dialog[14],
      caption.c_str(), f[0], f[1], f[2] & 0xff, f[2] >> 8, font.c_str());
  if (const auto* bitmap = Resource<BITMAPINFOHEADER>(m, RT_BITMAP, 159, &size)) {
    Say("bitmap %ldx%ld planes=%u bits=%u compression=%lu bytes=%lu", bitmap->biWidth,
        bitmap->biHeight, bitmap->biPlanes, bitmap->biBitCount, bitmap->biCompression, size);
  }
  const auto* group = Resource<BYTE>(m, RT_GROUP_ICON, 1, &size);
  for (int i = 0; group && i < group[4]; ++i) {  // 14-byte entries after a 6-byte header
    const BYTE* e = group + 6 + 14 * i;
    const auto* icon = Resource<BITMAPINFOHEADER>(m, RT_ICON, e[12] | e[13] << 8, &size);
    Say("icon %ux%u colours=%u planes=%u bits=%u image=%ldx%ld,%u same_size=%d", e[0], e[1], e[2],
        e[4], e[6], icon ? icon->biWidth : 0, icon ? icon->biHeight : 0,
        icon ? icon->biBitCount : 0, size == static_cast<DWORD>(e[8] | e[9] << 8 | e[10] << 16));
  }
  char text[64] = "";
  LoadStringA(m, 1, text, sizeof text);
  Say("string1=%s", text);
  std::vector<int> waves;  // the ids, each with the bytes of the sample file of its slot
  EnumResourceNamesA(m, "WAVE", [](HMODULE, LPCSTR, LPSTR name, LONG_PTR list) -> BOOL {
    reinterpret_cast<std::vector<int>*>(list)->push_back(static_cast<int>(
        IS_INTRESOURCE(name) ? reinterpret_cast<std::uintptr_t>(name) : 0));
    return TRUE;
  }, reinterpret_cast<LONG_PTR>(&waves));
  for (std::size_t slot = 0; slot < waves.size(); ++slot) {
    const std::string path = samples + "\\slot" + (slot < 10 ? "0" : "") + std::to_string(slot);
    std::vector<char> file(1 << 20);
    std::FILE* in = std::fopen((path + ".wav").c_str(), "rb");
    file.resize(in ? std::fread(file.data(), 1, file.size(), in) : 0);
    if (in) std::fclose(in);
    const char* wave = Resource<char>(m, "WAVE", waves[slot], &size);
    if (!wave || size != file.size() || std::memcmp(wave, file.data(), size)) waves[slot] *= -1;
  }
  SayList("waves (negative: differs from its file)", waves);
  const char* manifest = Resource<char>(m, RT_MANIFEST, 1, &size);
  const std::string xml = manifest ? std::string(manifest, size) : "";
  Say("manifest dpi=%d", xml.find("true/pm</dpiAware>") != std::string::npos &&
                             xml.find(">PerMonitorV2") != std::string::npos);
  std::vector<char> version(GetFileVersionInfoSizeA(scr, nullptr) + 1);
  GetFileVersionInfoA(scr, 0, version.size(), version.data());
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  VerQueryValueA(version.data(), "\\", reinterpret_cast<void**>(&fixed), &length);
  std::printf("version %08lx.%08lx", fixed ? fixed->dwFileVersionMS : 0, fixed ? fixed->dwFileVersionLS : 0);
  for (const char* name : {"FileDescription", "OriginalFilename", "LegalCopyright", "ProductName"}) {
    char* value = nullptr;
    const std::string query = std::string("\\StringFileInfo\\040904E4\\") + name;
    VerQueryValueA(version.data(), query.c_str(), reinterpret_cast<void**>(&value), &length);
    std::printf(" %s=%s", name, value ? value : "");
  }
  return Say(""), 0;
}

// DirectSound's cooperative level wants a window: a hidden one stands in for the saver's. Each play
// gets the sample's length and 0.7 s more to itself (1.5 s at least), so that no two overlap.
int Play(int count, char** triples) {
  soundPlatform = {&PlatformSoundSystem(), &PlatformClock(), &PlatformResources()};
  timeBeginPeriod(1);
  const DWORD loadStart = timeGetTime();
  LoadSampleBank(reinterpret_cast<WindowHandle>(MakeWindow(WS_OVERLAPPEDWINDOW, 0, 0, 99, 99)));
  int loaded = 0;
  for (const SampleVoice& voice : SampleBank) loaded += voice.voiceBuffer != nullptr;
  Say("load_ms=%lu loaded=%d", timeGetTime() - loadStart, loaded);
  const DWORD first = timeGetTime();
  DWORD at = 0;
  const auto until = [&] { Wait(nullptr, std::max<LONG>(0, at - (timeGetTime() - first))); };
  for (int i = 0; i + 2 < count; i += 3) {
    const int slot = std::atoi(triples[i]) % kSampleSlots;
    until();
    Say("play slot=%d start_ms=%lu", slot, timeGetTime() - first);
    SampleBank[slot].Play(std::atoi(triples[i + 1]), std::atoi(triples[i + 2]), 0, false);
    at += std::max<DWORD>(1500, SampleBank[slot].sampleBytes * 1000ull / (4 * 44100) + 700);
  }
  until();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  const std::string scr = argc > 2 ? "\"" + std::string(argv[2]) + "\"" : "";
  volatile int* nowhere = nullptr;
  if (command == "crash") *nowhere = 1;
  if (command == "load" || (command == "save" && argc == 7)) {
    SaverContext context;
    context.LoadSystemSettings(PlatformSettingsStore());
    context.LoadSettings(PlatformSettingsStore());
    if (command == "save") {
      context.useMouse = std::atoi(argv[2]);
      for (int i = 0; i < 4; ++i) context.params[i] = std::atoi(argv[3 + i]);
      context.SaveSettings(PlatformSettingsStore());
    }
    std::printf("passwordDelay=%d mouseThreshold=%d useMouse=%d", context.passwordDelay,
                context.mouseThreshold, context.useMouse);
    return SayList(" params", {context.params, context.params + kParamCount}), 0;
  }
  if ((command == "library" || command == "bare") && argc == 3) {
    void* library = command == "bare" ? LoadLibraryA(argv[2]) : PlatformLibraryLoader().Load(argv[2]);
    return Say(library ? "loaded" : "missing"), 0;
  }
  SoundDevice* device = nullptr;
  if (command == "device") {
    return Say("create=0x%08x", static_cast<unsigned>(PlatformSoundSystem().CreateDevice(&device))), 0;
  }
  if (command == "play") return Play(argc - 2, argv + 2);
  if (command == "resources" && argc == 4) return Resources(argv[2], argv[3]);
  if (command == "preview" && argc >= 4) return Preview(scr, std::atoi(argv[3]), argv[4]);
  if (command == "run" && argc == 4) return Run(scr, std::atoi(argv[3]));
  if (command == "dialog" && argc >= 4) return Dialog(argv[2], argv[3], argv + 4);
  std::fprintf(stderr, "usage: driver COMMAND ... (see driver_win32.cpp)\n");
  return 2;
}
