// A library that pretends to be the system's password check, to be planted beside a program: the
// saver must never load it in place of the system's own.
#include <windows.h>

extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND) { return FALSE; }
