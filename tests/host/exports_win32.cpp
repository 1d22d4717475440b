// The Windows host program's exports, checked the way the module binds them:
// LoadLibraryA on the program's own file, then GetProcAddress per name in
// lookup order. Also checks that the main window is a real window. Prints
// each fault and exits non-zero if there is any.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "host/mq_functions.h"
#include "plugin/host_api.h"

namespace {

struct Lookup {
    const char* name;
    void* own;
};

#define HOST_LOOKUP(name) Lookup{#name, reinterpret_cast<void*>(&::name)},
const Lookup kLookups[] = {MQ_HOST_LOOKUP_ORDER(HOST_LOOKUP)};
#undef HOST_LOOKUP

}  // namespace

int main() {
    int faults = 0;
    char path[MAX_PATH];
    if (GetModuleFileNameA(nullptr, path, sizeof path) == 0) {
        std::printf("GetModuleFileNameA failed\n");
        return 1;
    }
    HMODULE self = LoadLibraryA(path);
    if (self == nullptr) {
        std::printf("LoadLibraryA(%s) failed\n", path);
        return 1;
    }
    int lookups = 0;
    for (const Lookup& l : kLookups) {
        ++lookups;
        FARPROC found = GetProcAddress(self, l.name);
        if (found == nullptr) {
            std::printf("not exported: %s\n", l.name);
            ++faults;
        } else if (reinterpret_cast<void*>(found) != l.own) {
            std::printf("exported but not the host's function: %s\n", l.name);
            ++faults;
        }
    }
    if (lookups != kHostLookupCount) {
        std::printf("%d lookups, expected %d\n", lookups, kHostLookupCount);
        ++faults;
    }
    // A decorated stdcall name must not be what the program exports.
    if (GetProcAddress(self, "MQ_GetWindowHandle@0") != nullptr) {
        std::printf("decorated name exported: MQ_GetWindowHandle@0\n");
        ++faults;
    }
    FreeLibrary(self);

    HWND window = MQ_GetWindowHandle();
    if (window == nullptr || !IsWindow(window) || MQ_GetWindowHandle() != window) {
        std::printf("MQ_GetWindowHandle is not one real window\n");
        ++faults;
    }
    if (GetParent(window) != nullptr) {
        std::printf("the main window is not top-level\n");
        ++faults;
    }
    std::printf("%d lookups, %d faults\n", lookups, faults);
    return faults == 0 ? 0 : 1;
}
