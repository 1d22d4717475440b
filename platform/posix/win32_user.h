// The user-interface subset of Win32 for non-Windows builds: message boxes.
// The POSIX message box shows nothing; it records each caption and text so
// that tests can read them back, and prints them to stderr in UTF-8.
#pragma once

#include "platform/posix/win32_types.h"

#define MB_OK 0x00000000u
#define IDOK 1
#define IDCANCEL 2

extern "C" int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
