#include "tests/plugin/fake_host.h"

namespace {
int callCount = 0;
int entryCalls = 0;
HINSTANCE lastInstance = nullptr;
DWORD lastReason = 0xFFFFFFFFu;
}  // namespace

extern "C" {

int FakeHostCalled(int value) {
    ++callCount;
    return value;
}

int FakeHostCallCount(void) { return callCount; }
int FakeHostEntryCalls(void) { return entryCalls; }
HINSTANCE FakeHostLastEntryInstance(void) { return lastInstance; }
DWORD FakeHostLastEntryReason(void) { return lastReason; }

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    ++entryCalls;
    lastInstance = instance;
    lastReason = reason;
    return TRUE;
}

}  // extern "C"
