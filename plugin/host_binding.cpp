#include "plugin/host_binding.h"

#include "plugin/host_api.h"

namespace {

bool hostIsBound = false;

// Stores the address of `name` in `entry`; false when the host lacks it.
template <class Function>
bool BindEntry(HMODULE host, const char* name, Function& entry) {
    FARPROC address = GetProcAddress(host, name);
    if (!address) return false;
    // Through void(*)(void), the one function type that converts to every
    // other without a warning; the entry's own type is the host's signature.
    entry = reinterpret_cast<Function>(reinterpret_cast<void (*)(void)>(address));
    return true;
}

bool BindAll(HMODULE host) {
#define THICKEN_BIND_ENTRY(name) \
    if (!BindEntry(host, #name, HostApi.name)) return false;
    MQ_HOST_LOOKUP_ORDER(THICKEN_BIND_ENTRY)
#undef THICKEN_BIND_ENTRY
    return true;
}

}  // namespace

bool BindHost(const char* hostFileName) {
    HMODULE host = LoadLibraryA(hostFileName);
    if (!host) {
        hostIsBound = false;
        return false;
    }
    // A failed second binding may leave a mix of two hosts' addresses.
    hostIsBound = BindAll(host);
    FreeLibrary(host);
    return hostIsBound;
}

bool HostIsBound() { return hostIsBound; }
