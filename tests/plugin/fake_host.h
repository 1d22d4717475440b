// A fake host for the binding tests: a shared library that exports a chosen
// subset of the host's names (generated from the lookup list) and records
// what happens to it. Each exported host name is a distinct function that
// counts its calls. The test reads the records through these exports.
#pragma once

#include "platform/win32.h"

extern "C" {

// Counts one call of a host function; returns `value`.
int FakeHostCalled(int value);

// Calls of any host function since the library was loaded.
int FakeHostCallCount(void);

// The arguments of the library's DllMain calls: how many, and the last ones.
int FakeHostEntryCalls(void);
HINSTANCE FakeHostLastEntryInstance(void);
DWORD FakeHostLastEntryReason(void);

}  // extern "C"
