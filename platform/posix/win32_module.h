// Module loading for non-Windows builds: LoadLibraryA, GetProcAddress,
// FreeLibrary, GetModuleHandleA and GetModuleFileNameA over dlopen.
//
// An HMODULE (= HINSTANCE) is the base address at which the shared object is
// mapped (dladdr's dli_fbase), as on Windows. LoadLibraryA dlopens the file,
// keeps a reference count per base and, on the first load, calls the module's
// exported DllMain(base, DLL_PROCESS_ATTACH, 0) when it has one; the last
// FreeLibrary calls DllMain(base, DLL_PROCESS_DETACH, 0) and dlcloses it.
// The running program's own file name (compared through realpath with
// /proc/self/exe) names the program itself: lookups then search the program
// and the libraries it was started with, and no DllMain is called.
#pragma once

#include "platform/posix/win32_types.h"

#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3

typedef INT_PTR(WINAPI* FARPROC)(void);

// The entry point a module may export; called with the reasons above.
typedef BOOL(WINAPI* DllEntryProc)(HINSTANCE instance, DWORD reason, LPVOID reserved);

// Loads (or adds a reference to) the shared object at `fileName` and returns
// its base address; null when it cannot be loaded.
extern "C" HMODULE LoadLibraryA(LPCSTR fileName);

// The address of the symbol `name` in a module returned by LoadLibraryA, or
// null when the module is unknown or lacks the name.
extern "C" FARPROC GetProcAddress(HMODULE module, LPCSTR name);

// Drops one reference taken by LoadLibraryA; FALSE for an unknown module.
extern "C" BOOL FreeLibrary(HMODULE module);

// The base of the running program for null, else of the already loaded
// shared object named `fileName`; null when none is loaded. Adds no reference.
extern "C" HMODULE GetModuleHandleA(LPCSTR fileName);

// Writes the file name of `module` (the program for null) into `buffer`,
// cut to size − 1 bytes and zero-terminated; returns the bytes written
// without the zero, or 0 for an unknown module.
extern "C" DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size);
